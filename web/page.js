'use strict';
// The page around the game (quarvex.js). The query string is the game's
// command line: ?stage=2&side=1&start&seed=5 becomes --stage 2 --side 1
// --start --seed 5. Files named by input= and the game's files in a folder
// named by data= are fetched from beside the page before the game starts.
// The player's folder (settings, replays) is kept in the browser's
// IndexedDB; the replays in it can be downloaded or watched from the page's
// Replays list, and a replay file opened from there.

const statusLine = document.getElementById('status');
const canvas = document.getElementById('canvas');
const endedPanel = document.getElementById('ended');

// Where the game keeps the player's files: its HOME, as on the desktop
// ($HOME/.config/quarvex/settings.toml).
const kPlayerFolder = '/home/web_user';
// The game's replay folder there ($HOME/.local/share/quarvex/replays), and
// where replay files the player opens are put.
const kReplayFolder = kPlayerFolder + '/.local/share/quarvex/replays';
const kOpenedFolder = kPlayerFolder + '/.local/share/quarvex/opened';

function commandLine(search) {
  const args = [];
  for (const [name, value] of new URLSearchParams(search)) {
    args.push('--' + name);
    if (value !== '') args.push(value);
  }
  return args;
}

function say(line) {
  statusLine.textContent = statusLine.textContent ? statusLine.textContent + '\n' + line : line;
}

const args = commandLine(location.search);
const dataFiles = ['t0.dds', 't1.dds', 't2.dds', 't3.dds', 't4.dds', 't5.dds', 'ts.dds', 'tc.dds',
  'map1.aod', 'map2.aod', 'map3.aod', 'map1.bmp', 'map2.bmp', 'map3.bmp'];
const served = [];
for (const [name, value] of new URLSearchParams(location.search)) {
  if (value === '') continue;
  // A replay kept in the player's folder is already there.
  if (name === 'input' || (name === 'replay' && !value.startsWith(kPlayerFolder + '/'))) {
    served.push({file: value, optional: false});
  }
  // The files a data folder may hold; the game names those it misses.
  const folder = value.replace(/\/*$/, '/');
  if (name === 'data') served.push(...dataFiles.map((file) => ({file: folder + file, optional: true})));
}

// The game reports its state after every step (src/web/browser.cpp):
// running, paused, menu, message, ended or failed.
window.quarvexPage = {frames: 0, state: 'loading', firstFrameMs: null, storage: 'loading'};
function quarvexPageState(frames, state) {
  if (frames > 0 && quarvexPage.firstFrameMs === null) quarvexPage.firstFrameMs = performance.now();
  quarvexPage.frames = frames;
  if (state === 'ended' && quarvexPage.state !== 'ended' && quarvexPage.frames > 0) {
    endedPanel.hidden = false;
  }
  quarvexPage.state = state;
}

// The player's folder lives in IndexedDB: read in before the game starts,
// written back whenever a file in it was written, renamed or removed.
const playerStorage = {
  syncing: false,
  again: false,
  available: false,

  mount() {
    FS.mkdirTree(kPlayerFolder);
    FS.mount(IDBFS, {}, kPlayerFolder);
    Module.addRunDependency('player folder');
    FS.syncfs(true, (error) => {
      if (error) {
        console.error('quarvex: the browser keeps no files for this page, so settings and replays ' +
          'last only until it is closed (' + error + ')');
        quarvexPage.storage = 'unavailable';
      } else {
        this.available = true;
        quarvexPage.storage = 'idle';
      }
      this.watch();
      Module.removeRunDependency('player folder');
    });
  },

  // The game writes through emscripten's FS; every change in the folder
  // asks for a write-back.
  watch() {
    const inFolder = (path) => typeof path === 'string' && path.startsWith(kPlayerFolder + '/');
    const close = FS.close;
    FS.close = (stream) => {
      const written = (stream.flags & 3) !== 0;  // O_WRONLY or O_RDWR
      const result = close(stream);
      if (written && inFolder(stream.path)) this.changed();
      return result;
    };
    const rename = FS.rename;
    FS.rename = (from, to) => {
      const result = rename(from, to);
      if (inFolder(from) || inFolder(to)) this.changed();
      return result;
    };
    const unlink = FS.unlink;
    FS.unlink = (path) => {
      const result = unlink(path);
      if (inFolder(path)) this.changed();
      return result;
    };
  },

  changed() {
    if (!this.available) return;
    quarvexPage.storage = 'writing';
    if (this.syncing) {
      this.again = true;
      return;
    }
    this.syncing = true;
    // After the current step, so that a file's several changes go together.
    setTimeout(() => FS.syncfs(false, (error) => {
      this.syncing = false;
      if (error) console.error('quarvex: cannot keep the settings and replays in the browser (' + error + ')');
      if (this.again) {
        this.again = false;
        this.changed();
      } else {
        quarvexPage.storage = 'idle';
      }
    }), 0);
  },
};

var Module = {
  arguments: args,
  canvas: canvas,
  print: (text) => console.log(text),
  printErr: (text) => { console.error(text); say(text); },
  preRun: [() => {
    playerStorage.mount();
    for (const {file, optional} of served) {
      Module.addRunDependency('served ' + file);
      fetch(file).then((response) => {
        if (!response.ok) throw new Error('HTTP ' + response.status);
        return response.arrayBuffer();
      }).then((bytes) => {
        const folder = file.substring(0, file.lastIndexOf('/'));
        if (folder) FS.mkdirTree(folder);
        FS.writeFile(file, new Uint8Array(bytes));
      }).catch((error) => {
        // The game then says it cannot read the file, as on the desktop.
        if (!optional) console.error('quarvex: cannot fetch ' + file + ' (' + error.message + ')');
      }).finally(() => Module.removeRunDependency('served ' + file));
    }
  }],
  onRuntimeInitialized: () => {
    if (statusLine.textContent.startsWith('Loading')) statusLine.textContent = '';
    canvas.focus();
  },
  // After main: a page that started no frames ran headless, printed its
  // usage, or stopped at a bad command line (said above).
  postRun: [() => {
    if (quarvexPage.state === 'loading') quarvexPage.state = 'ended';
  }],
};

// Full screen for the whole page, whose canvas then covers the screen. The
// game asks for it from its full-screen key (src/platform/window.cpp); a
// browser grants it that soon after a key press.
function quarvexToggleFullscreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
  } else {
    document.documentElement.requestFullscreen().catch((error) => {
      console.log('quarvex: no full screen (' + error.message + ')');
    });
  }
}

canvas.addEventListener('click', () => canvas.focus());
document.getElementById('again').addEventListener('click', () => location.reload());

// The Replays list: the replays kept in the player's folder, newest first.
const replaysPanel = document.getElementById('replays');
function fileNames(folder) {
  try {
    return FS.readdir(folder).filter((name) => name.endsWith('.qvr')).sort().reverse();
  } catch (e) {
    return [];
  }
}

// Offers bytes as a download named `name` (the game's own downloads come
// here too, from src/web/browser.cpp).
function quarvexDownload(name, bytes) {
  const type = name.endsWith('.png') ? 'image/png' : 'text/plain';
  const url = URL.createObjectURL(new Blob([bytes], {type: type}));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function downloadFile(path) {
  quarvexDownload(path.substring(path.lastIndexOf('/') + 1), FS.readFile(path));
}

function watch(path) {
  location.search = '?replay=' + encodeURIComponent(path);
}

function showReplays() {
  const list = document.getElementById('replay-list');
  list.replaceChildren();
  const names = typeof FS === 'undefined' ? [] : fileNames(kReplayFolder);
  if (names.length === 0) list.textContent = 'none yet: every stage played here is kept';
  for (const name of names) {
    const path = kReplayFolder + '/' + name;
    const row = document.createElement('li');
    row.textContent = name;
    for (const [text, action] of [['download', () => downloadFile(path)], ['watch', () => watch(path)]]) {
      const link = document.createElement('a');
      link.href = '#';
      link.textContent = text;
      link.addEventListener('click', (event) => {
        event.preventDefault();
        action();
      });
      row.appendChild(link);
    }
    list.appendChild(row);
  }
}

// The game's keys stay the game's: Space or Enter must not press the button again.
document.getElementById('replays-button').addEventListener('click', () => {
  replaysPanel.hidden = !replaysPanel.hidden;
  if (!replaysPanel.hidden) showReplays();
  canvas.focus();
});

// A replay file from the player's disk goes into the player's folder (the
// game reads files, and a page that reloads keeps that folder), then plays.
document.getElementById('replay-file').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  const name = file.name.replace(/[^A-Za-z0-9._-]/g, '_');
  FS.mkdirTree(kOpenedFolder);
  FS.writeFile(kOpenedFolder + '/' + name, new Uint8Array(await file.arrayBuffer()));
  playerStorage.changed();
  const started = performance.now();
  const go = () => {
    // A browser that keeps no files for the page loses it in the reload, and
    // the game then says it cannot read it.
    if (quarvexPage.storage === 'idle' || performance.now() - started > 5000 || !playerStorage.available) {
      watch(kOpenedFolder + '/' + name);
    } else {
      setTimeout(go, 50);
    }
  };
  go();
});
