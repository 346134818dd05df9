// The panel under the window: the shown waves played and downloaded, the whole set downloaded, and
// the instrument's tables shown as waterfalls, swept through and downloaded. Every file, sound and
// picture is made by the program (viewer/web/panel_calls.cpp) from its own writers; this file only
// lays out the controls, plays through Web Audio and hands files to the browser. The program tells
// the panel the page it shows through `tablescopePanel.show`.
(function () {
  'use strict';
  var kinds = {wave: 0, bankWav: 1, bankWt: 2, moduleBank: 3, tableWav: 4, tableWt: 5, everything: 6};
  var wavesPerPage = 8;
  var windowWidth = 1044;  // layout pixels of the canvas, which the waterfall's scale follows
  var waterfall = {width: 392, height: 200};
  var noteNames = ['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B'];
  // C2 to C6: every rate the sounds need, 128 x f and up to 192,000, is one every browser's
  // Web Audio takes.
  var lowestNote = 36;
  var highestNote = 84;
  var defaultNote = 57;  // A3, 220 Hz

  var panel = document.getElementById('panel');
  var canvas = document.getElementById('canvas');
  var columns = document.getElementById('wave-columns');
  var noteSelect = document.getElementById('note');
  var bandLimited = document.getElementById('band-limited');
  var tableList = document.getElementById('table-list');
  var picture = document.getElementById('waterfall');
  var sweepSeconds = document.getElementById('sweep-seconds');
  var tableButtons = {
    sweep: document.getElementById('table-sweep'),
    wav: document.getElementById('table-wav'),
    wt: document.getElementById('table-wt'),
  };
  var audio = null;
  var playing = null;  // {source, button, restart}
  var shownPage = -1;

  function program() {
    return window.Module;
  }

  function padded(number, digits) {
    return String(number).padStart(digits, '0');
  }

  function noteName(note) {
    return noteNames[note % 12] + (Math.floor(note / 12) - 1);
  }

  // The program's result, `size` bytes, copied out of its memory.
  function resultBytes(size) {
    var start = program()._tablescope_panel_result();
    return program().HEAPU8.slice(start, start + size);
  }

  function resultName() {
    var heap = program().HEAPU8;
    var at = program()._tablescope_panel_name();
    var name = '';
    while (heap[at] !== 0) {
      name += String.fromCharCode(heap[at++]);
    }
    return name;
  }

  function download(kind, number) {
    var size = program()._tablescope_panel_file(kind, number);
    if (size < 0) {
      return;
    }
    var type = kind === kinds.everything ? 'application/zip' : 'application/octet-stream';
    var url = URL.createObjectURL(new Blob([resultBytes(size)], {type: type}));
    var link = document.createElement('a');
    link.href = url;
    link.download = resultName();
    link.click();
    setTimeout(function () {
      URL.revokeObjectURL(url);
    }, 60000);
  }

  // The program's float samples at its rate as a buffer for Web Audio.
  function soundBuffer(count) {
    var samples = new Float32Array(resultBytes(count * 4).buffer);
    var buffer = audio.createBuffer(1, count, program()._tablescope_panel_sample_rate());
    buffer.copyToChannel(samples, 0);
    return buffer;
  }

  function stop() {
    if (!playing) {
      return;
    }
    var ended = playing;
    playing = null;
    ended.source.onended = null;
    ended.source.stop();
    ended.button.setAttribute('aria-pressed', 'false');
  }

  // Plays what `make` leaves as the program's result (its sample count, or -1), from `button`,
  // which a second press stops; `restart` makes it again after a change of note or band.
  function play(button, make, loop) {
    var wasThis = playing && playing.button === button;
    stop();
    if (wasThis) {
      return;
    }
    var count = make();
    if (count < 0) {
      return;
    }
    audio = audio || new AudioContext();
    audio.resume();
    var source = audio.createBufferSource();
    source.buffer = soundBuffer(count);
    source.loop = loop;
    source.connect(audio.destination);
    source.onended = function () {
      if (playing && playing.source === source) {
        playing = null;
        button.setAttribute('aria-pressed', 'false');
      }
    };
    source.start();
    button.setAttribute('aria-pressed', 'true');
    playing = {source: source, button: button, restart: loop ? function () { play(button, make, loop); } : null};
  }

  function note() {
    return Number(noteSelect.value);
  }

  function button(text, label, action) {
    var made = document.createElement('button');
    made.type = 'button';
    made.textContent = text;
    made.setAttribute('aria-label', label);
    made.addEventListener('click', action);
    return made;
  }

  function playButton(wave, name) {
    var made = button('Play', 'Play ' + name, function () {
      play(made, function () {
        return program()._tablescope_panel_wave_sound(wave, note(), bandLimited.checked ? 1 : 0);
      }, true);
    });
    made.setAttribute('aria-pressed', 'false');
    return made;
  }

  // The columns under the page's eight waves.
  function show(page) {
    if (page === shownPage) {
      return;
    }
    shownPage = page;
    stop();
    columns.textContent = '';
    for (var column = 0; column < wavesPerPage; ++column) {
      var wave = page * wavesPerPage + column;
      var cell = document.createElement('div');
      if (wave < 244) {
        var name = 'wave ' + padded(wave, 3);
        cell.appendChild(playButton(wave, name));
        cell.appendChild(button('WAV', 'Download ' + name + ' as WAV', download.bind(null, kinds.wave, wave)));
      }
      columns.appendChild(cell);
    }
  }

  function chosenTable() {
    return tableList.value === '' ? -1 : Number(tableList.value);
  }

  // The chosen table's waterfall, drawn by the program at the window's scale, each of its
  // pixels one device pixel as in the window.
  function drawWaterfall() {
    var table = chosenTable();
    var scale = Math.max(1, Math.round(canvas.width / windowWidth));
    var size = table < 0 ? -1 : program()._tablescope_panel_waterfall(table, scale);
    picture.hidden = size < 0;
    if (size < 0) {
      return;
    }
    picture.width = waterfall.width * scale;
    picture.height = waterfall.height * scale;
    picture.style.width = picture.width / devicePixelRatio + 'px';
    picture.style.height = picture.height / devicePixelRatio + 'px';
    var image = new ImageData(new Uint8ClampedArray(resultBytes(size).buffer), picture.width, picture.height);
    picture.getContext('2d').putImageData(image, 0, 0);
  }

  function chooseTable() {
    var table = chosenTable();
    var name = 'table ' + padded(table, 2);
    picture.setAttribute('aria-label', 'The 61 frames of ' + name + ' as a waterfall');
    tableButtons.sweep.setAttribute('aria-label', 'Play a sweep through ' + name);
    tableButtons.wav.setAttribute('aria-label', 'Download ' + name + ' as .wav');
    tableButtons.wt.setAttribute('aria-label', 'Download ' + name + ' as .wt');
    Object.keys(tableButtons).forEach(function (key) {
      tableButtons[key].disabled = table < 0;
    });
    if (playing && playing.button === tableButtons.sweep) {
      stop();
    }
    drawWaterfall();
  }

  function fillTableList() {
    var count = program()._tablescope_panel_table_count();
    for (var table = 0; table < count; ++table) {
      if (program()._tablescope_panel_table_made(table)) {
        var option = document.createElement('option');
        option.value = String(table);
        option.textContent = 'Table ' + padded(table, 2);
        tableList.appendChild(option);
      }
    }
    tableList.selectedIndex = 0;
    chooseTable();
  }

  // The controls' options and actions: made once the window's first picture is on the screen, so
  // that none of it delays the picture.
  function setUp() {
    for (var number = lowestNote; number <= highestNote; ++number) {
      noteSelect.add(new Option(noteName(number), String(number), false, number === defaultNote));
    }
    function restartPlaying() {
      if (playing && playing.restart) {
        var restart = playing.restart;
        stop();
        restart();
      }
    }
    noteSelect.addEventListener('change', restartPlaying);
    bandLimited.addEventListener('change', restartPlaying);
    tableList.addEventListener('change', chooseTable);
    tableButtons.sweep.addEventListener('click', function () {
      play(tableButtons.sweep, function () {
        // The time the field shows is the time played: within 0.1 to 60 seconds, 2 where it is not a number.
        var seconds = Math.min(60, Math.max(0.1, Number(sweepSeconds.value) || 2));
        sweepSeconds.value = String(seconds);
        return program()._tablescope_panel_table_sweep(chosenTable(), note(), seconds);
      }, false);
    });
    tableButtons.wav.addEventListener('click', function () {
      download(kinds.tableWav, chosenTable());
    });
    tableButtons.wt.addEventListener('click', function () {
      download(kinds.tableWt, chosenTable());
    });
    document.querySelectorAll('[data-download]').forEach(function (control) {
      var request = control.getAttribute('data-download').split(' ');
      control.addEventListener('click', download.bind(null, kinds[request[0]], Number(request[1] || 0)));
    });

    // The panel is as wide as the window and follows a change of its scale.
    new ResizeObserver(function () {
      panel.style.width = canvas.style.width;
      if (shownPage >= 0) {
        drawWaterfall();
      }
    }).observe(canvas);
  }

  // The page the program shows while the panel waits to be set up.
  var waiting = -1;
  window.tablescopePanel = {
    show: function (page) {
      if (shownPage >= 0) {
        show(page);
        return;
      }
      if (waiting < 0) {
        // The panel is set up, its tables worked out and it is shown once the window's first
        // picture is on the screen: the window comes first.
        requestAnimationFrame(function () {
          setTimeout(function () {
            setUp();
            show(waiting);
            fillTableList();
            panel.hidden = false;
          }, 0);
        });
      }
      waiting = page;
    },
  };
})();
