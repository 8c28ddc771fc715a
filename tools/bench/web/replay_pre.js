// The replay page: ?scene=<scene>_<w>x<h>_ names the recording, whose two
// files are fetched into /rec/ before the program starts with the scene as
// its argument.
(function () {
  var scene = new URLSearchParams(location.search).get('scene') || '';
  Module.arguments = [scene];
  Module.preRun = (Module.preRun || []).concat(function () {
    FS.mkdir('/rec');
    ['frames.bin', 'pictures.bin'].forEach(function (name) {
      var id = 'rec-' + name;
      addRunDependency(id);
      fetch(scene + name).then(function (response) {
        if (!response.ok) throw new Error(response.status);
        return response.arrayBuffer();
      }).then(function (bytes) {
        FS.writeFile('/rec/' + name, new Uint8Array(bytes));
      }).catch(function () {
        console.log('no recording ' + scene + name);
      }).finally(function () {
        removeRunDependency(id);
      });
    });
  });
})();
