// Runs before the program starts: standard input, the saved state in
// IndexedDB, fullscreen, and the trace switch (?trace=1 in the address).

(function () {
  var SAVE_FOLDER = '/save';
  var syncing = false;   // a copy to IndexedDB is running
  var again = false;     // another save came while it ran

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

  // Copies the save folder to IndexedDB; saves that come while a copy runs
  // are copied together once it ends.
  Module.flushSave = function () {
    if (syncing) { again = true; return; }
    syncing = true;
    FS.syncfs(false, function (error) {
      syncing = false;
      if (error) console.log('The save could not be stored in this browser: ' + error);
      if (again) { again = false; Module.flushSave(); }
    });
  };

  Module.toggleFullscreen = function () {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  };
})();
