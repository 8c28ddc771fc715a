// Runs before the program starts: standard input, the saves kept in the
// page's IndexedDB database and their export and import, sound that follows
// the player's first touch and the page's visibility, fullscreen, and the
// trace switch (?trace=1 in the address).

(function () {
  var SAVE_FOLDER = '/save';
  var DATABASE = 'glimmer';   // the page's own database: file name -> contents
  var STORE = 'files';
  var database = null;        // open from start-up on; null where the browser refuses storage
  var IMPORT_PREFIX = 'glimmer-import:';  // window.name across the reload that follows an import
  var MAX_IMPORTED_FILE = 1 << 20;

  // Pictures come in one package per resolution level beside the page
  // (pictures-N.json, the files' places in pictures-N.data), fetched when
  // the canvas first needs that level: the game loads the pictures of the
  // level its window size calls for (game/shell/assets.cpp: a side above 630
  // pixels takes level 2, above 1230 level 4), so the canvas is kept to the
  // size of a level whose pictures are here until the one it wants arrives.
  var LEVEL_SIDES = { 1: 630, 2: 1230, 4: Infinity };   // the largest side of each level
  var PHONE_SCREEN = 1000;    // CSS pixels: a touch screen this small shows no more than level 2's detail
  var pictures = {};          // level -> 'loading', 'loaded' or 'failed'
  function levelFor(side) { return side > LEVEL_SIDES[2] ? 4 : side > LEVEL_SIDES[1] ? 2 : 1; }
  var touchScreen = matchMedia('(pointer: coarse)');   // a touch screen is the main pointer
  function phone() { return touchScreen.matches && Math.max(screen.width, screen.height) <= PHONE_SCREEN; }
  // Downloads in progress, shown by the page's progress bar with emscripten's own.
  function progress(url, loaded, total) {
    Module.dataFileDownloads = Module.dataFileDownloads || {};
    Module.dataFileDownloads[url] = { loaded: loaded, total: total };
    var sum = 0, size = 0;
    for (var name in Module.dataFileDownloads) {
      sum += Module.dataFileDownloads[name].loaded;
      size += Module.dataFileDownloads[name].total;
    }
    if (Module.setStatus && !Module.calledRun) Module.setStatus('Downloading data... (' + sum + '/' + size + ')');
  }
  function download(url, type, done) {
    var request = new XMLHttpRequest();
    request.open('GET', url);
    request.responseType = type;
    var total = 1;
    request.onprogress = function (e) {
      if (!e.lengthComputable) return;
      total = e.total;
      progress(url, e.loaded, total);
    };
    request.onload = function () {
      if (request.status !== 200 && request.status !== 0) { done(null); return; }
      progress(url, total, total);
      done(request.response);
    };
    request.onerror = function () { done(null); };
    request.send();
  }
  var waiting = {};           // level -> what to call once its package is in (or failed)
  function loadPictures(level, done) {
    if (pictures[level] === 'loaded') { if (done) done(); return; }
    waiting[level] = (waiting[level] || []).concat(done ? [done] : []);
    if (pictures[level]) return;
    pictures[level] = 'loading';
    function finished() {
      var calls = waiting[level];
      delete waiting[level];
      calls.forEach(function (call) { call(); });
    }
    var name = 'pictures-' + level;
    var base = Module.locateFile ? Module.locateFile(name, '') : name;
    download(base + '.json', 'json', function (index) {
      download(base + '.data', 'arraybuffer', function (data) {
        if (!index || !data) {
          console.log('Glimmer could not load ' + name);
          pictures[level] = 'failed';   // not asked for again: the canvas stays at a level at hand
          finished();
          return;
        }
        var bytes = new Uint8Array(data);
        index.forEach(function (file) {
          var path = '/data/' + file[0];
          FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
          FS.writeFile(path, bytes.subarray(file[1], file[2]));
        });
        pictures[level] = 'loaded';
        finished();
      });
    });
  }
  // The pixels per CSS pixel of the canvas (the host asks at each frame):
  // the screen's own ratio, at most level 2's size on a phone, and within a
  // level whose pictures are here (the nearest below the wanted one, else above).
  Module.canvasRatio = function (cssWidth, cssHeight, ratio) {
    var side = Math.max(cssWidth, cssHeight);
    if (side <= 0) return ratio;
    if (phone() && side * ratio > LEVEL_SIDES[2]) ratio = LEVEL_SIDES[2] / side;
    var want = levelFor(Math.round(side * ratio));
    if (pictures[want] === 'loaded') return ratio;
    loadPictures(want);
    var below = [2, 1].filter(function (l) { return l < want && pictures[l] === 'loaded'; })[0];
    if (below) return (LEVEL_SIDES[below] - 1) / side;
    var above = [2, 4].filter(function (l) { return l > want && pictures[l] === 'loaded'; })[0];
    return above ? (LEVEL_SIDES[above === 4 ? 2 : 1] + 2) / side : ratio;
  };
  Module.pictureLevels = pictures;

  // A runtime error's stop protocol reads commands: the page has none to give.
  Module.stdin = function () { return null; };

  // What became of the saves: how many IndexedDB has committed, how many
  // failed, and the last failure's text ('' once a save is stored again);
  // kept is false where the browser gives the page no storage at all: the
  // saves then live as long as the page (and can be exported).
  Module.saves = { stored: 0, failed: 0, problem: '', kept: true };

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
    // The pictures of the level the canvas starts at come before the game starts.
    var canvas = Module.canvas.getBoundingClientRect();
    var startRatio = Module.canvasRatio(canvas.width, canvas.height, window.devicePixelRatio || 1);
    var startLevel = levelFor(Math.round(Math.max(canvas.width, canvas.height) * startRatio));
    addRunDependency('glimmer-pictures');
    loadPictures(startLevel, function () { removeRunDependency('glimmer-pictures'); });
    FS.mkdir(SAVE_FOLDER);
    FS.mount(IDBFS, {}, SAVE_FOLDER);
    addRunDependency('glimmer-save');
    var started = false;
    function start(problem) {
      if (started) return;
      started = true;
      // Without storage (a private window, or a game portal's frame, may
      // refuse it) the game still runs; its saves then last as long as the
      // page, and the page says so once.
      if (problem) {
        Module.saves.kept = false;
        console.log('Glimmer cannot keep saves here: ' + problem);
        if (Module.onNoStorage) Module.onNoStorage(problem);
      }
      takeImported();
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
          writeSaved(cursor.key, cursor.value);
          cursor.continue();
        };
        files.onerror = function (e) { e.preventDefault(); start(describe(files.error)); };
      };
    });
  });

  // Files in the save folder by their path in it: directly there, or in the
  // player's levels folder ("levels/", "levels/runs/").
  var SAVED_PATH = /^(levels\/(runs\/)?)?[A-Za-z0-9._-]{1,64}$/;
  function writeSaved(name, bytes) {
    var folder = SAVE_FOLDER;
    name.split('/').slice(0, -1).forEach(function (part) {
      folder += '/' + part;
      try { FS.mkdir(folder); } catch (e) { /* there already */ }
    });
    FS.writeFile(SAVE_FOLDER + '/' + name, bytes);
  }

  // Keeps a file of the save folder in IndexedDB. The write starts before
  // this returns, so a save made while the page unloads (a reload, a closed
  // tab) still reaches the disk; the save counts as stored only once
  // IndexedDB has committed it, and a failure reaches the page.
  Module.storeSavedFile = function (path) {
    if (!database) return;   // said once at start: the save lives in the page

    try {
      var transaction = database.transaction([STORE], 'readwrite');
      transaction.oncomplete = saveStored;
      transaction.onabort = function () { saveProblem(describe(transaction.error || 'the write was abandoned')); };
      transaction.objectStore(STORE).put(FS.readFile(path), path.slice(path.indexOf(SAVE_FOLDER + '/') + SAVE_FOLDER.length + 1));
    } catch (e) {
      saveProblem(describe(e));
    }
  };

  // The program could not even write the file (the host's save failed).
  Module.saveFailed = saveProblem;

  // Export and import of what the save folder holds (the game's state file
  // and any other file the game keeps beside it there, the records file
  // among them), as one JSON file: {"glimmer": 1, "files": {name: base64}}.
  function toBase64(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }
  function fromBase64(text) {
    var binary = atob(text);
    var bytes = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }
  function savedFiles() {
    var files = {};
    ['', 'levels/', 'levels/runs/'].forEach(function (folder) {
      var names = [];
      try { names = FS.readdir(SAVE_FOLDER + '/' + folder); } catch (e) { return; }
      names.forEach(function (name) {
        var path = SAVE_FOLDER + '/' + folder + name;
        if (/\.tmp\./.test(name)) return;   // a save being replaced
        if (FS.isFile(FS.stat(path).mode)) files[folder + name] = toBase64(FS.readFile(path));
      });
    });
    return files;
  }
  Module.exportSave = function () {
    return JSON.stringify({ glimmer: 1, files: savedFiles() });
  };
  // The files of an exported save, checked: plain names, sizes within reason.
  function importedFiles(text) {
    var parsed = JSON.parse(text);
    if (!parsed || parsed.glimmer !== 1 || typeof parsed.files !== 'object' || parsed.files === null) {
      throw new Error('this is not a Glimmer save');
    }
    var files = {};
    Object.keys(parsed.files).forEach(function (name) {
      if (!SAVED_PATH.test(name) || /(^|\/)\.+$/.test(name)) throw new Error('a file name in the save is not allowed');
      var bytes = fromBase64(String(parsed.files[name]));
      if (bytes.length > MAX_IMPORTED_FILE) throw new Error('a file in the save is too large');
      files[name] = bytes;
    });
    return files;
  }
  // Takes an exported save: its files are stored where storage works and
  // handed to the page's next start through the window's name (which also
  // outlives the reload where storage is refused); the page then reloads so
  // that the game starts from them. Resolves with '' or a problem's text.
  Module.importSave = function (text) {
    var files;
    try {
      files = importedFiles(text);
    } catch (e) {
      return Promise.resolve(e.message);
    }
    window.name = IMPORT_PREFIX + text;
    return new Promise(function (resolve) {
      if (!database) { resolve(''); return; }
      try {
        var transaction = database.transaction([STORE], 'readwrite');
        var store = transaction.objectStore(STORE);
        Object.keys(files).forEach(function (name) { store.put(files[name], name); });
        transaction.oncomplete = function () { resolve(''); };
        transaction.onabort = function () { resolve(''); };
      } catch (e) {
        resolve('');
      }
    }).then(function (problem) {
      location.reload();
      return problem;
    });
  };
  function takeImported() {
    var text;
    try {
      text = typeof window.name === 'string' && window.name.indexOf(IMPORT_PREFIX) === 0 ? window.name.slice(IMPORT_PREFIX.length) : '';
      window.name = '';
      if (!text) return;
      var files = importedFiles(text);
      Object.keys(files).forEach(function (name) { writeSaved(name, files[name]); });
    } catch (e) {
      console.log('Glimmer could not import the save: ' + e.message);
    }
  }

  // A level file opened from the page goes into the levels folder, kept
  // like the game's own files; the game's list of levels shows it (and plays
  // its proof again) the next time it is opened. Resolves with '' or a problem.
  Module.importLevel = function (name, bytes) {
    var base = name.replace(/\.glimmer-level$/, '').toLowerCase().replace(/[^a-z0-9]+/g, '-').replace(/^-+|-+$/g, '').slice(0, 40);
    if (bytes.length > MAX_IMPORTED_FILE) return Promise.resolve('the file is too large for a level');
    var path = 'levels/' + (base || 'level') + '.glimmer-level';
    try {
      writeSaved(path, bytes);
    } catch (e) {
      return Promise.resolve(describe(e));
    }
    Module.storeSavedFile(SAVE_FOLDER + '/' + path);
    return Promise.resolve('');
  };

  // Sound: browsers let a page start its sound only from a player's action,
  // a key, a click or the end of a touch (not its start), and may suspend it
  // while the screen is locked or the tab hidden. Each such action, and the
  // page being shown again, resumes every audio context that is not running.
  function resumeSound() {
    if (typeof AL === 'undefined' || !AL.contexts) return;
    for (var id in AL.contexts) {
      var context = AL.contexts[id] && AL.contexts[id].audioCtx;
      if (context && context.state !== 'running' && context.state !== 'closed') context.resume().catch(function () {});
    }
  }
  ['touchend', 'pointerup', 'mousedown', 'keydown', 'click'].forEach(function (type) {
    window.addEventListener(type, resumeSound, true);
  });
  document.addEventListener('visibilitychange', function () { if (!document.hidden) resumeSound(); });
  window.addEventListener('pageshow', resumeSound);
  Module.resumeSound = resumeSound;

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
