// Runs before the program starts: standard input, the saves kept in the
// page's IndexedDB database, fullscreen, and the trace switch (?trace=1 in
// the address).

(function () {
  var SAVE_FOLDER = '/save';
  var DATABASE = 'glimmer';   // the page's own database: file name -> contents
  var STORE = 'files';
  var database = null;        // open from start-up on; null where the browser refuses storage

  // A runtime error's stop protocol reads commands: the page has none to give.
  Module.stdin = function () { return null; };

  // What became of the saves: how many IndexedDB has committed, how many
  // failed, and the last failure's text ('' once a save is stored again).
  Module.saves = { stored: 0, failed: 0, problem: '' };

  function saveProblem(text) {
    Module.saves.failed++;
    Module.saves.problem = text;
    console.log('Glimmer could not save: ' + text);
    if (Module.onSaveProblem) Module.onSaveProblem(text);
  }

  function saveStored() {
    Module.saves.stored++;
    Module.saves.problem = '';
    if (Module.onSaveStored) Module.onSaveStored();
  }

  function describe(error) { return error && error.name ? error.name + ': ' + error.message : String(error); }

  // The saved files into the save folder, before the program starts: first
  // those an earlier version of the page kept through emscripten's IDBFS,
  // then the page's own database, whose files win.
  Module.preRun = (Module.preRun || []).concat(function () {
    if (/[?&]trace=1\b/.test(location.search)) ENV.GLIMMER_TRACE = '1';
    FS.mkdir(SAVE_FOLDER);
    FS.mount(IDBFS, {}, SAVE_FOLDER);
    addRunDependency('glimmer-save');
    var started = false;
    function start(problem) {
      if (started) return;
      started = true;
      // Without storage (a private window may refuse it) the game still
      // runs; its saves then last as long as the page, and the page says so.
      if (problem) saveProblem('saves cannot be kept in this browser (' + problem + ')');
      removeRunDependency('glimmer-save');
    }
    FS.syncfs(true, function () {
      var request;
      try {
        request = indexedDB.open(DATABASE, 1);
      } catch (e) {
        start(describe(e));
        return;
      }
      request.onupgradeneeded = function () { request.result.createObjectStore(STORE); };
      request.onerror = function (e) { e.preventDefault(); start(describe(request.error)); };
      request.onblocked = function () { start('the database is held by another page'); };
      request.onsuccess = function () {
        database = request.result;
        var files = database.transaction([STORE], 'readonly').objectStore(STORE).openCursor();
        files.onsuccess = function () {
          var cursor = files.result;
          if (!cursor) { start(null); return; }
          FS.writeFile(SAVE_FOLDER + '/' + cursor.key, cursor.value);
          cursor.continue();
        };
        files.onerror = function (e) { e.preventDefault(); start(describe(files.error)); };
      };
    });
  });

  // Keeps a file of the save folder in IndexedDB. The write starts before
  // this returns, so a save made while the page unloads (a reload, a closed
  // tab) still reaches the disk; the save counts as stored only once
  // IndexedDB has committed it, and a failure reaches the page.
  Module.storeSavedFile = function (path) {
    if (!database) {
      saveProblem('this browser gives the page no storage');
      return;
    }
    try {
      var transaction = database.transaction([STORE], 'readwrite');
      transaction.oncomplete = saveStored;
      transaction.onabort = function () { saveProblem(describe(transaction.error || 'the write was abandoned')); };
      transaction.objectStore(STORE).put(FS.readFile(path), path.slice(path.lastIndexOf('/') + 1));
    } catch (e) {
      saveProblem(describe(e));
    }
  };

  // The program could not even write the file (the host's save failed).
  Module.saveFailed = saveProblem;

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
