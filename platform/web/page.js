// The page's side of the web display: the canvas that shows the window, its DOM events queued as
// input for the window system, and the promise the program's wait for input awaits. DOM callbacks
// only queue; the program takes the input out when it asks for it.

mergeInto(LibraryManager.library, {
  $canvasPage: {
    canvas: null,
    context: null,
    queue: [],
    wake: null,

    // Kinds of input records; platform/web/page.h has the same numbers.
    pointerMoved: 1, buttonPressed: 2, buttonReleased: 3, keyPressed: 4, keyReleased: 5,
    activated: 6, deactivated: 7, resolutionChanged: 8,

    push: function(kind, fields) {
      canvasPage.queue.push(Object.assign({kind: kind, x: 0, y: 0, button: 0, key: 0, modifiers: 0, time: 0}, fields));
      const wake = canvasPage.wake;
      if (wake) {
        canvasPage.wake = null;
        wake();
      }
    },

    // Resolves at the next input, or after `limit` milliseconds where it is not negative.
    wait: function(limit) {
      if (canvasPage.queue.length > 0) {
        return Promise.resolve();
      }
      return new Promise((resolve) => {
        const timer = limit >= 0 ? setTimeout(() => { canvasPage.wake = null; resolve(); }, limit) : 0;
        canvasPage.wake = () => { clearTimeout(timer); resolve(); };
      });
    },

    // Lays the canvas out at the CSS size that makes each of its pixels one device pixel, whatever
    // the ratio: exact pixels rather than an exact size.
    fit: function() {
      const canvas = canvasPage.canvas;
      canvas.style.width = canvas.width / devicePixelRatio + 'px';
      canvas.style.height = canvas.height / devicePixelRatio + 'px';
    },

    // The ratio, the size of the viewport or the monitor has changed: the canvas is laid out
    // again at once, and the program, told once however many changes come before it next asks,
    // takes the scale that fits.
    changed: function() {
      const page = canvasPage;
      page.fit();
      if (!page.queue.some((input) => input.kind === page.resolutionChanged)) {
        page.push(page.resolutionChanged, {});
      }
    },

    // A pointer event's place in canvas pixels, which are the window's device pixels.
    point: function(event) {
      const canvas = canvasPage.canvas;
      const box = canvas.getBoundingClientRect();
      return {
        x: Math.floor((event.clientX - box.left) * canvas.width / box.width),
        y: Math.floor((event.clientY - box.top) * canvas.height / box.height),
        time: Math.floor(event.timeStamp) >>> 0,
      };
    },

    modifiers: function(event) {
      return (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
    },

    // The window system's keys: 1 Tab, 2 space, 0 any other.
    key: function(event) {
      return event.key === 'Tab' ? 1 : event.key === ' ' ? 2 : 0;
    },

    // A change of devicePixelRatio (another monitor, the browser's zoom) fires the query of the
    // ratio it had; the next one watches the new ratio.
    watchResolution: function() {
      const query = matchMedia('(resolution: ' + devicePixelRatio + 'dppx)');
      query.addEventListener('change', () => {
        canvasPage.changed();
        canvasPage.watchResolution();
      }, {once: true});
    },

    listen: function(canvas) {
      const page = canvasPage;
      canvas.addEventListener('pointerdown', (event) => {
        canvas.focus({preventScroll: true});
        canvas.setPointerCapture(event.pointerId);
        page.push(page.buttonPressed, Object.assign(page.point(event), {button: event.button}));
      });
      canvas.addEventListener('pointerup', (event) => {
        page.push(page.buttonReleased, Object.assign(page.point(event), {button: event.button}));
      });
      canvas.addEventListener('pointermove', (event) => page.push(page.pointerMoved, page.point(event)));
      // A touch that the browser takes for scrolling the page ends outside the window: no click.
      canvas.addEventListener('pointercancel', (event) => {
        page.push(page.buttonReleased, {x: -1, y: -1, button: 0, time: Math.floor(event.timeStamp) >>> 0});
      });
      canvas.addEventListener('contextmenu', (event) => event.preventDefault());
      const key = (kind) => (event) => {
        // Escape gives the keyboard back to the page: Tab stays the window's own, between its buttons.
        if (event.key === 'Escape') {
          if (kind === page.keyPressed) {
            canvas.blur();
          }
          return;
        }
        const which = page.key(event);
        if (which !== 0) {
          event.preventDefault();  // Tab keeps the focus in the canvas, space scrolls nothing
        }
        if (!event.repeat || kind === page.keyPressed) {
          page.push(kind, {key: which, modifiers: page.modifiers(event)});
        }
      };
      canvas.addEventListener('keydown', key(page.keyPressed));
      canvas.addEventListener('keyup', key(page.keyReleased));
      canvas.addEventListener('focus', () => page.push(page.activated, {}));
      canvas.addEventListener('blur', () => page.push(page.deactivated, {}));
      page.watchResolution();
      addEventListener('resize', page.changed);
    },
  },

  // Takes the page's canvas and listens to its events; false where the page has none.
  web_page_attach__deps: ['$canvasPage'],
  web_page_attach: function() {
    const page = canvasPage;
    const canvas = typeof Module['canvas'] === 'object' ? Module['canvas'] : null;
    if (!canvas || page.canvas) {
      return 0;
    }
    page.canvas = canvas;
    page.context = canvas.getContext('2d');
    page.listen(canvas);
    return 1;
  },

  web_page_resize__deps: ['$canvasPage'],
  web_page_resize: function(width, height) {
    const canvas = canvasPage.canvas;
    canvas.width = width;
    canvas.height = height;
    canvasPage.fit();
  },

  // The device pixels that the window's inner area may take without the page scrolling: the
  // viewport's, less the caption bar's height above the canvas.
  web_page_room__deps: ['$canvasPage'],
  web_page_room: function(size) {
    const viewport = document.documentElement;
    const caption = document.getElementById('title');
    const height = viewport.clientHeight - (caption ? caption.offsetHeight : 0);
    HEAP32[size >> 2] = Math.max(1, Math.floor(viewport.clientWidth * devicePixelRatio));
    HEAP32[(size >> 2) + 1] = Math.max(1, Math.floor(height * devicePixelRatio));
  },

  // The title is ISO 8859-1, whose bytes are the first 256 code points. The page names the program
  // already: a heading given its own text again would be laid out again.
  web_page_title: function(text, length) {
    const title = String.fromCharCode.apply(null, HEAPU8.subarray(text, text + length));
    document.title = title;
    const heading = document.getElementById('title');
    if (heading && heading.textContent !== title) {
      heading.textContent = title;
    }
  },

  // Puts the canvas in the place of the loading line and gives it the keyboard; true when it has it.
  web_page_show__deps: ['$canvasPage'],
  web_page_show: function() {
    const canvas = canvasPage.canvas;
    const status = document.getElementById('status');
    if (status) {
      status.hidden = true;
    }
    canvas.hidden = false;
    canvas.focus({preventScroll: true});
    return document.activeElement === canvas && document.hasFocus() ? 1 : 0;
  },

  // Puts an area of the window's pixels, RGBA rows of the canvas's width in the program's memory,
  // on the canvas: one copy, straight from a view of that memory.
  web_page_present__deps: ['$canvasPage'],
  web_page_present: function(pixels, x, y, width, height) {
    const canvas = canvasPage.canvas;
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, canvas.width * canvas.height * 4);
    canvasPage.context.putImageData(new ImageData(bytes, canvas.width, canvas.height), 0, 0, x, y, width, height);
  },

  // The canvas's pixels are whole device pixels, so the page is a desktop at the whole-number
  // scale nearest the ratio, halves up as on the desktop (1.25 asks for 1, 1.5 for 2, 2.5 for 3),
  // and text is drawn as there: 96 dots per inch at each scale.
  web_page_dpi: function() {
    return 96 * Math.max(1, Math.floor(devicePixelRatio + 0.5));
  },

  // Takes the oldest queued input into a record of seven 32-bit numbers; false when none is queued.
  web_page_next_input__deps: ['$canvasPage'],
  web_page_next_input: function(record) {
    const input = canvasPage.queue.shift();
    if (!input) {
      return 0;
    }
    const fields = [input.kind, input.x, input.y, input.button, input.key, input.modifiers, input.time];
    HEAP32.set(fields.map((value) => value | 0), record >> 2);
    return 1;
  },
});
