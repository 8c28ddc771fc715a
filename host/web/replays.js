// Runs before the program starts, beside pre.js: how the page hands the
// player a replay (the C++ side is host/web/game.cpp). A run is offered as a
// downloaded file, and as a link: the page's own address with "#replay=..."
// after it, which plays the run when opened.

(function () {
  Module.offerDownload = function (name, bytes) {
    var url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    var link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(url); }, 10000);
  };

  // The link goes into the address bar (the page stays as it is) and, where
  // the browser allows it, onto the clipboard.
  Module.offerLink = function (fragment) {
    history.replaceState(null, '', '#' + fragment);
    Module.replayLink = location.href;
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(location.href).catch(function () {});
    }
  };
})();
