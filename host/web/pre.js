// Runs before the program starts: standard input, the saved state in
// IndexedDB, fullscreen, and the trace switch (?trace=1 in the address).

(function () {
  var SAVE_FOLDER = '/save';

  // A runtime error's stop protocol reads commands: the page has none to give.
  Module.stdin = function () { return null; };

  Module.preRun = (Module.preRun || []).concat(function () {
    if (/[?&]trace=1\b/.test(location.search)) ENV.GLIMMER_TRACE = '1';
    FS.mkdir(SAVE_FOLDER);
    FS.mount(IDBFS, {}, SAVE_FOLDER);
    addRunDependency('glimmer-save');
    FS.syncfs(true, function (error) {
      // Without IndexedDB (a private window may refuse it) the game still
      // runs; its save then lasts as long as the page.
      if (error) console.log('Saved settings cannot be read in this browser: ' + error);
      removeRunDependency('glimmer-save');
    });
  });

  // Stores one file of the save folder in IndexedDB, as the folder's copy
  // there keeps it. The write is started before this returns, so a save made
  // while the page unloads (a reload, a closed tab) still reaches the disk.
  Module.storeSavedFile = function (path) {
    IDBFS.getDB(SAVE_FOLDER, function (error, db) {
      if (error) return;
      var transaction = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
      transaction.onerror = function (e) {
        console.log('The save could not be stored in this browser: ' + transaction.error);
        e.preventDefault();
      };
      IDBFS.loadLocalEntry(path, function (error, entry) {
        if (!error) IDBFS.storeRemoteEntry(transaction.objectStore(IDBFS.DB_STORE_NAME), path, entry, function () {});
      });
    });
  };

  // The program ended (a runtime error with no debugger to answer): the page
  // says so, and the exit thrown through the frame callback stops the game
  // without an error report in the console.
  var exited = false;
  Module.quit = function (status, toThrow) {
    exited = true;
    if (Module.onExit) Module.onExit(status);
    throw toThrow;
  };
  window.addEventListener('error', function (e) {
    if (exited) e.preventDefault();
  });

  Module.toggleFullscreen = function () {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  };
})();
