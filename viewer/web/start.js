// Starts the program on the page, and where it cannot start or stops, says why in one sentence in
// the window's place. The program's own words go to the console only. A file of its own, not a
// script in the page, so that a site's security policy that forbids inline scripts lets it run.
(function () {
  'use strict';
  var sentences = {
    noWebAssembly: 'This browser has WebAssembly switched off or lacks it; Tablescope needs it.',
    refused: 'This site\'s security policy forbids compiling WebAssembly, so Tablescope cannot run here.',
    notFound: 'Tablescope\'s files are not on this site where the page expects them.',
    connection: 'The connection was lost while Tablescope was loading; reloading the page tries again.',
    stopped: 'Tablescope stopped unexpectedly; reloading the page starts it again.',
  };
  var status = document.getElementById('status');
  var canvas = document.getElementById('canvas');
  var failed = false;

  function fail(sentence) {
    if (failed) {
      return;
    }
    failed = true;
    canvas.hidden = true;
    document.getElementById('panel').hidden = true;
    status.hidden = false;
    status.textContent = sentence;
    status.className = 'failure';
  }

  if (typeof WebAssembly !== 'object') {
    fail(sentences.noWebAssembly);
    return;
  }
  // The smallest module, eight bytes: where a site's policy forbids compiling, even this is
  // refused, before anything is fetched.
  try {
    new WebAssembly.Module(new Uint8Array([0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00]));
  } catch (refusal) {
    fail(sentences.refused);
    return;
  }

  // The program's WebAssembly, compiled as it arrives (where the site serves it as such) from the
  // moment this script runs, while the page's other scripts run.
  var compiled = fetch('tablescope.wasm', {credentials: 'same-origin'}).then(function (response) {
    if (!response.ok) {
      throw sentences.notFound;
    }
    if (typeof WebAssembly.compileStreaming === 'function' &&
        response.headers.get('Content-Type') === 'application/wasm') {
      return WebAssembly.compileStreaming(response);
    }
    return response.arrayBuffer().then(function (bytes) {
      return WebAssembly.compile(bytes);
    });
  });
  compiled.catch(function () {});  // said where the module is used

  function instantiate(imports, done) {
    compiled.then(function (module) {
      return WebAssembly.instantiate(module, imports).then(function (instance) {
        return {instance: instance, module: module};
      });
    }).then(function (made) {
      done(made.instance, made.module);
    }, function (failure) {
      console.error(failure);
      fail(typeof failure === 'string' ? failure
           : failure instanceof TypeError ? sentences.connection : sentences.stopped);
    });
    return {};
  }

  window.Module = {
    canvas: canvas,
    instantiateWasm: instantiate,
    printErr: function (text) {
      console.error(text);
    },
    onAbort: function () {
      fail(sentences.stopped);
    },
    // The program ends only when it cannot go on: the page has no way to close its window.
    quit: function (code, toThrow) {
      if (code !== 0) {
        fail(sentences.stopped);
      }
      throw toThrow;
    },
  };
  // The glue (tablescope.js) and panel.js run after this script, in that order; the glue waits to
  // be started, and the program starts once both have run, which the document's DOMContentLoaded
  // follows, to show the panel its first page. Where the glue is not there, a fetch tells a
  // missing file from a lost connection.
  document.addEventListener('DOMContentLoaded', function () {
    if (typeof startTablescope !== 'function') {
      fetch('tablescope.js', {method: 'HEAD', cache: 'no-store'}).then(function (response) {
        fail(response.status === 404 ? sentences.notFound : sentences.connection);
      }, function () {
        fail(sentences.connection);
      });
      return;
    }
    // Where the program stops, onAbort says so; the promise's rejection says it again.
    startTablescope(window.Module).catch(function () {});
  });
})();
