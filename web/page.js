'use strict';
// The page around the game (quarvex.js). The query string is the game's
// command line: ?stage=2&side=1&start&seed=5 becomes --stage 2 --side 1
// --start --seed 5. Files named by input= and the game's files in a folder
// named by data= are fetched from beside the page before the game starts.
// The player's folder (settings, replays) is kept in the browser's
// IndexedDB; the replays in it can be downloaded or watched from the page's
// Replays list, and a replay file opened from there. The player's own
// stages are kept there too, uploaded and downloaded in the Stages panel.

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
// The player's own stages ($XDG_DATA_HOME/quarvex/stages), and where a stage
// uploaded is checked before it goes there (outside the player's folder, so
// never stored).
const kStageFolder = kPlayerFolder + '/.local/share/quarvex/stages';
const kUploadFolder = '/tmp/stage-upload';

function commandLine(search) {
  const args = [];
  for (const [name, value] of new URLSearchParams(search)) {
    // The link that joins a game: ?join=ws://HOST:PORT&code=CODE&name=NAME,
    // and &watch=1 to watch it.
    if (name === 'join') {
      args.push('--connect', value);
      continue;
    }
    if (name === 'watch') {
      if (value !== '0') args.push('--spectate');
      continue;
    }
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
  // A stage of one's own served beside the page: its stage file and description.
  if (name === 'stage-file' && !value.startsWith(kPlayerFolder + '/')) {
    const stem = value.replace(/\.(aod|toml)$/, '');
    served.push({file: stem + '.aod', optional: false}, {file: stem + '.toml', optional: true});
  }
  // The files a data folder may hold; the game names those it misses.
  const folder = value.replace(/\/*$/, '/');
  if (name === 'data') served.push(...dataFiles.map((file) => ({file: folder + file, optional: true})));
}

// The grounds come when a stage wants them (src/web/late_files.h); a stage
// started from the link is on its first frame, so its ground is fetched
// before the start, as the stage's files of a data folder are.
const linkParams = new URLSearchParams(location.search);
const linkStage = linkParams.get('stage');
if (linkStage !== null && /^[1-3]$/.test(linkStage) && linkParams.has('start') && !linkParams.has('data')) {
  served.push({file: 'data/map' + linkStage + '.png', optional: true});
}

// Options that write a file cannot name one of the player's own: a link
// someone sends must not replace a replay or the settings (a download the
// game makes is removed from the page's files once offered).
const kWritingOptions = ['record', 'dump', 'screenshot', 'record-audio'];
const refused = [];
for (const [name, value] of new URLSearchParams(location.search)) {
  if (!kWritingOptions.includes(name)) continue;
  const file = name === 'screenshot' ? value.substring(value.indexOf(':') + 1) : value;
  if (quarvexKeptFile(file)) refused.push(name + '=' + value);
}

// The game reports its state after every step (src/web/browser.cpp):
// running, paused, menu, message, network (a networked game), hidden (one
// whose tab is hidden), ended or failed.
window.quarvexPage = {frames: 0, state: 'loading', firstFrameMs: null, storage: 'loading',
  stageInPlay: false};
function quarvexPageState(frames, state, stageInPlay) {
  quarvexPage.stageInPlay = stageInPlay === true;
  if (frames > 0 && quarvexPage.firstFrameMs === null) quarvexPage.firstFrameMs = performance.now();
  quarvexPage.frames = frames;
  if (state === 'ended' && quarvexPage.state !== 'ended' && quarvexPage.frames > 0) {
    endedPanel.hidden = false;
  }
  quarvexPage.state = state;
}

// The player's folder lives in IndexedDB, in the store emscripten's IDBFS
// keeps (one entry per file or folder, keyed by its path): read in whole
// before the game starts, then written file by file as files change. Each
// page stores only what it changed itself and removes only what it removed,
// so two pages open at once never erase each other's files; each tells the
// others what it stored, and they read it in (settings the game then saves
// start from the newest text).
const playerStorage = {
  available: false,
  db: null,
  changed: new Set(),  // paths changed here and not yet stored
  inFlight: 0,  // transactions not yet complete
  unconfirmed: new Map(),  // path: how many of them hold it
  waiting: [],  // called once everything changed is stored
  scheduled: false,
  applying: false,  // while another page's change is put into the folder
  channel: typeof BroadcastChannel === 'function' ? new BroadcastChannel('quarvex-player-files') : null,

  mount() {
    FS.mkdirTree(kPlayerFolder);
    FS.mount(IDBFS, {}, kPlayerFolder);
    Module.addRunDependency('player folder');
    const unavailable = (error) => {
      console.error('quarvex: the browser keeps no files for this page, so settings and replays ' +
        'last only until it is closed (' + error + ')');
      quarvexPage.storage = 'unavailable';
    };
    FS.syncfs(true, (error) => {
      if (error) unavailable(error);
      IDBFS.getDB(kPlayerFolder, (dbError, db) => {
        if (!error && dbError) unavailable(dbError);
        if (!error && !dbError) {
          this.db = db;
          this.available = true;
          quarvexPage.storage = 'idle';
        }
        this.watch();
        this.recover();
        if (this.channel) this.channel.onmessage = (event) => this.readIn(event.data);
        // About every second, as the desktop writes its replays.
        setInterval(() => this.store(), 1000);
        Module.removeRunDependency('player folder');
      });
    });
  },

  // The game writes through emscripten's FS; every change in the folder is
  // noted, and stored soon after.
  watch() {
    const note = (path) => {
      if (quarvexKeptFile(path) && !this.applying) this.note(path);
    };
    const pathOf = (stream) => stream && stream.path;
    const wrap = (name, paths) => {
      const original = FS[name];
      FS[name] = function (...args) {
        const result = original.apply(this, args);
        for (const path of paths(args, result)) note(path);
        return result;
      };
    };
    wrap('write', (args) => [pathOf(args[0])]);
    wrap('close', (args) => ((args[0].flags & 3) !== 0 ? [pathOf(args[0])] : []));  // O_WRONLY, O_RDWR
    wrap('rename', (args) => [args[0], args[1]]);
    wrap('unlink', (args) => [args[0]]);
    wrap('rmdir', (args) => [args[0]]);
    wrap('mkdir', (args) => [args[0]]);
    wrap('chmod', (args) => [args[0]]);
    wrap('truncate', (args) => [args[0]]);
    wrap('ftruncate', (args) => [pathOf(FS.getStream(args[0]))]);
  },

  note(path) {
    this.changed.add(path);
    if (!this.available) return;
    quarvexPage.storage = 'writing';
    // After the current step, so that a file's several changes go together.
    if (!this.scheduled) {
      this.scheduled = true;
      setTimeout(() => {
        this.scheduled = false;
        this.store();
      }, 0);
    }
  },

  // Puts every path changed here into the store at once: a file or folder
  // as it is now (with the folders above it, which a later start needs
  // first), a path that is gone removed. The browser applies transactions in
  // the order they were made, so a later store of a file wins; one made while
  // the page goes away is not held up behind another. Calls done() once
  // stored.
  store(done) {
    if (!this.available || this.changed.size === 0) {
      if (this.inFlight === 0 && this.available) quarvexPage.storage = 'idle';
      if (done) {
        if (this.inFlight === 0) done();
        else this.waiting.push(done);
      }
      return;
    }
    const paths = [...this.changed];
    this.changed.clear();
    for (const path of paths) this.unconfirmed.set(path, (this.unconfirmed.get(path) ?? 0) + 1);
    ++this.inFlight;
    if (done) this.waiting.push(done);
    const finished = (error) => {
      --this.inFlight;
      for (const path of paths) {
        const left = this.unconfirmed.get(path) - 1;
        if (left > 0) this.unconfirmed.set(path, left);
        else this.unconfirmed.delete(path);
      }
      if (error) console.error('quarvex: cannot keep the settings and replays in the browser (' + error + ')');
      else if (this.channel) this.channel.postMessage(paths);
      if (this.inFlight === 0 && this.changed.size === 0) {
        quarvexPage.storage = 'idle';
        const waiting = this.waiting;
        this.waiting = [];
        waiting.forEach((f) => f());
      }
    };
    try {
      const transaction = this.db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
      const files = transaction.objectStore(IDBFS.DB_STORE_NAME);
      for (const path of paths) {
        const entry = entryOf(path);
        if (entry === null) {
          files.delete(path);
          continue;
        }
        for (let folder = parentOf(path); folder.startsWith(kPlayerFolder + '/'); folder = parentOf(folder)) {
          const above = entryOf(folder);
          if (above !== null) files.put(above, folder);
        }
        files.put(entry, path);
      }
      transaction.oncomplete = () => finished(null);
      transaction.onabort = () => finished(transaction.error || 'aborted');
    } catch (error) {
      finished(error);
    }
  },

  // A page going away cannot wait for its store to complete, and the
  // browser drops what is unfinished then: what changed since the last store
  // is also put, synchronously, into the page's small key-value storage,
  // where the next start finds it (recover). A file too large for it keeps
  // what the last store (at most a second earlier) holds.
  journal() {
    for (const path of new Set([...this.changed, ...this.unconfirmed.keys()])) {
      const entry = entryOf(path);
      if (entry !== null && !entry.contents) continue;  // a folder: made with its files
      const kept = entry === null ? {gone: true, timestamp: Date.now()}
        : {timestamp: entry.timestamp.getTime(), mode: entry.mode, bytes: byteString(entry.contents)};
      try {
        localStorage.setItem(kUnstoredPrefix + path, JSON.stringify(kept));
      } catch (e) {
        console.log('quarvex: ' + path + ' is kept as it was a second ago (' + e + ')');
      }
    }
  },

  // Takes what a page put aside as it went away, where it is newer than
  // what the store holds, and stores it.
  recover() {
    let keys = [];
    try {
      keys = Object.keys(localStorage).filter((key) => key.startsWith(kUnstoredPrefix));
    } catch (e) {
      return;
    }
    for (const key of keys) {
      const path = key.substring(kUnstoredPrefix.length);
      let kept = null;
      try {
        kept = JSON.parse(localStorage.getItem(key));
        localStorage.removeItem(key);
      } catch (e) {
        continue;
      }
      const here = entryOf(path);
      const newer = kept && typeof kept.timestamp === 'number' &&
        (here === null || here.timestamp.getTime() < kept.timestamp);
      if (!newer || !quarvexKeptFile(path)) continue;
      this.applying = true;
      try {
        if (kept.gone) {
          if (here !== null && here.contents) FS.unlink(path);
        } else if (typeof kept.bytes === 'string') {
          FS.mkdirTree(parentOf(path));
          FS.writeFile(path, bytesOf(kept.bytes));
          FS.utime(path, kept.timestamp, kept.timestamp);
        }
      } catch (e) {
        console.log('quarvex: cannot take back ' + path + ' (' + e + ')');
      } finally {
        this.applying = false;
      }
      this.note(path);
    }
  },

  // Another page stored these paths: take its versions, except of a file
  // changed here and not yet stored (this page's change, stored later,
  // then stands in both).
  readIn(paths) {
    if (!this.available || !Array.isArray(paths)) return;
    const transaction = this.db.transaction([IDBFS.DB_STORE_NAME], 'readonly');
    const files = transaction.objectStore(IDBFS.DB_STORE_NAME);
    for (const path of paths) {
      if (typeof path !== 'string' || !quarvexKeptFile(path)) continue;
      const request = files.get(path);
      request.onsuccess = () => {
        if (this.changed.has(path) || this.unconfirmed.has(path)) return;
        this.applying = true;
        try {
          putEntry(path, request.result);
        } catch (e) {
          console.log('quarvex: cannot read in ' + path + ' from another page (' + e + ')');
        } finally {
          this.applying = false;
        }
      };
    }
  },
};

const kUnstoredPrefix = 'quarvex unstored ';

// Bytes as a string of one character per byte, and back.
function byteString(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  }
  return text;
}

function bytesOf(text) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xFF;
  return bytes;
}

function parentOf(path) {
  return path.substring(0, path.lastIndexOf('/'));
}

// A path's entry as IDBFS keeps it, null when there is nothing at the path.
function entryOf(path) {
  let stat;
  try {
    stat = FS.stat(path);
  } catch (e) {
    return null;
  }
  if (FS.isDir(stat.mode)) return {timestamp: stat.mtime, mode: stat.mode};
  if (!FS.isFile(stat.mode)) return null;
  return {timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path)};
}

// Makes the folder hold what another page stored at a path (nothing: gone).
function putEntry(path, entry) {
  const exists = FS.analyzePath(path).exists;
  if (!entry) {
    if (exists && FS.isFile(FS.stat(path).mode)) FS.unlink(path);
    return;
  }
  if (FS.isDir(entry.mode)) {
    FS.mkdirTree(path, entry.mode);
  } else {
    FS.mkdirTree(parentOf(path));
    FS.writeFile(path, entry.contents);
  }
  FS.utime(path, entry.timestamp, entry.timestamp);
}

// True for a path inside the player's folder (folders and '.' resolved
// against the page's working folder, '/').
function quarvexKeptFile(path) {
  return typeof path === 'string' && normalPath(path).startsWith(kPlayerFolder + '/');
}

function normalPath(path) {
  const parts = [];
  for (const part of path.split('/')) {
    if (part === '' || part === '.') continue;
    if (part === '..') parts.pop();
    else parts.push(part);
  }
  return '/' + parts.join('/');
}

// Before the page is hidden or left: the stage's last frames into its
// replay file, then everything changed into the browser's storage (and, as
// the page goes away, aside where the next start finds it).
function keepFilesNow(done, leaving = false) {
  if (typeof Module._quarvex_keep_recordings === 'function' && quarvexPage.frames > 0) {
    try {
      Module._quarvex_keep_recordings();
    } catch (e) {
      console.log('quarvex: the replay could not be brought up to date (' + e + ')');
    }
  }
  playerStorage.store(done);
  if (leaving && playerStorage.available) playerStorage.journal();
}
// A page hidden may be closed without another word.
document.addEventListener('visibilitychange', () => {
  if (document.visibilityState === 'hidden') keepFilesNow(null, true);
});
window.addEventListener('pagehide', () => keepFilesNow(null, true));

var Module = {
  arguments: args,
  // Nothing runs of a link that would write into the player's files.
  noInitialRun: refused.length > 0,
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
    if (refused.length > 0) {
      say('quarvex: ' + refused.join(', ') + ': a link cannot write into the player\'s own files ' +
        '(settings and replays); the game does not start');
      quarvexPage.state = 'failed';
    }
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

// The page's own words, in the game's language: the game hands them over
// (src/web/page_texts.cpp) once it has chosen its language, and again when
// the player chooses another. Until then they are English.
const pageTexts = {
  lang: 'en', replays: 'Replays', replaysKept: 'Replays kept in this browser (the last 100 written):',
  noneYet: 'none yet: every stage played here is kept', download: 'download', watch: 'watch',
  unfinished: '(unfinished)', openReplay: 'Open a replay file:', ended: 'quarvex has ended.',
  playAgain: 'Play again', credits: 'Credits',
  leaveQuestion: 'Watching the replay leaves the stage in play (its replay so far is kept).',
  leaveWatch: 'Watch', leaveStay: 'Keep playing',
  stages: 'Stages',
  stagesKept: 'Your stages kept in this browser (the title menu lists them under Stages):',
  noStagesYet: 'none yet', uploadStage: 'Upload a stage (its .aod with its .toml, or the .aod alone):',
  stageAdded: '{name} added: choose it under Stages in the title menu.',
  stageRefused: '{name} not added: {reason}', stageKept: '{name} not added: the stage kept here stays.',
  replaceStage: 'A stage named {name} is kept here already. Replace it?',
  notAStage: '{name} is neither a stage file (.aod) nor a description (.toml).',
  loadingGround: 'Loading the stage\'s ground picture…',
  groundFailed: 'The stage\'s ground picture could not be loaded; the stage is played on plain ground',
  soundsFailed: 'The sounds could not be loaded; the game plays without them',
};
// A line about what is still coming (src/web/browser.h): a key of the
// page's texts and a detail, or no key to take the line away.
const noteLine = document.getElementById('note');
let noteShown = {key: '', detail: ''};
function quarvexPageNote(key, detail) {
  noteShown = {key, detail};
  noteLine.textContent = key ? pageTexts[key] + detail : '';
}

function quarvexPageTexts(json) {
  Object.assign(pageTexts, JSON.parse(json));
  document.documentElement.lang = pageTexts.lang;
  for (const [id, key] of [['replays-button', 'replays'], ['replays-kept', 'replaysKept'],
    ['open-replay', 'openReplay'], ['ended-text', 'ended'], ['again', 'playAgain'],
    ['credits-link', 'credits'], ['leave-text', 'leaveQuestion'], ['leave-watch', 'leaveWatch'],
    ['leave-stay', 'leaveStay'], ['stages-button', 'stages'], ['stages-kept', 'stagesKept'],
    ['upload-stage', 'uploadStage']]) {
    document.getElementById(id).textContent = pageTexts[key];
  }
  if (!replaysPanel.hidden) showReplays();
  if (!stagesPanel.hidden) showStages();
  quarvexPageNote(noteShown.key, noteShown.detail);
}

// A page text with its {name} placeholders filled in.
function filled(text, values) {
  return text.replace(/\{(\w+)\}/g, (whole, name) => (name in values ? values[name] : whole));
}

// The Replays list: the replays kept in the player's folder, the last
// written first, each marked when it has no end (the game that recorded it
// was stopped, or is still playing it).
const replaysPanel = document.getElementById('replays');
function keptReplays(folder) {
  try {
    return FS.readdir(folder).filter((name) => name.endsWith('.qvr')).map((name) => {
      const path = folder + '/' + name;
      const text = FS.readFile(path, {encoding: 'utf8'});
      // A game played together names its players: "player SIDE NAME".
      const players = [...text.matchAll(/^player [0-3] (.+)$/gm)].map((m) => m[1].trim());
      return {name, path, players, written: FS.stat(path).mtime.getTime(),
        unfinished: !/^end \d+ /m.test(text)};
    }).sort((a, b) => b.written - a.written || (a.name < b.name ? 1 : -1));
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

// Watching a replay starts the page again with it. A stage in play would be
// left, so the player is asked first; what the page changed is stored
// before it goes.
const leavePanel = document.getElementById('leave');
function watch(path) {
  const go = () => keepFilesNow(() => {
    location.search = '?replay=' + encodeURIComponent(path);
  });
  if (!quarvexPage.stageInPlay || quarvexPage.state === 'ended') {
    go();
    return;
  }
  leavePanel.hidden = false;
  document.getElementById('leave-watch').onclick = () => {
    leavePanel.hidden = true;
    go();
  };
  document.getElementById('leave-stay').onclick = () => {
    leavePanel.hidden = true;
    canvas.focus();
  };
  document.getElementById('leave-stay').focus();
}

function showReplays() {
  const list = document.getElementById('replay-list');
  list.replaceChildren();
  const replays = typeof FS === 'undefined' ? [] : keptReplays(kReplayFolder);
  if (replays.length === 0) list.textContent = pageTexts.noneYet;
  for (const {name, path, players, unfinished} of replays) {
    const row = document.createElement('li');
    // The names are the players' own: text, never markup.
    row.textContent = name + (players.length > 0 ? ' (' + players.join(', ') + ')' : '') +
      (unfinished ? ' ' + pageTexts.unfinished : '');
    for (const [text, action] of [[pageTexts.download, () => downloadFile(path)],
      [pageTexts.watch, () => watch(path)]]) {
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
  if (!replaysPanel.hidden) {
    stagesPanel.hidden = true;
    showReplays();
  }
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
  // A browser that keeps no files for the page loses it in the reload, and
  // the game then says it cannot read it.
  watch(kOpenedFolder + '/' + name);
});

// The Stages panel: the player's own stages kept in the page's storage, each
// to download (both files), and an upload that checks a stage with the
// game's own reader before it goes into the stages folder.
const stagesPanel = document.getElementById('stages');
const stageNote = document.getElementById('stage-note');

function exists(path) {
  return FS.analyzePath(path).exists;
}

function keptStages() {
  try {
    return FS.readdir(kStageFolder).filter((name) => name.endsWith('.aod'))
      .map((name) => name.substring(0, name.length - 4)).sort();
  } catch (e) {
    return [];
  }
}

function showStages() {
  const list = document.getElementById('stage-list');
  list.replaceChildren();
  const stems = typeof FS === 'undefined' ? [] : keptStages();
  if (stems.length === 0) list.textContent = pageTexts.noStagesYet;
  for (const stem of stems) {
    const row = document.createElement('li');
    row.textContent = stem;
    const link = document.createElement('a');
    link.href = '#';
    link.textContent = pageTexts.download;
    link.addEventListener('click', (event) => {
      event.preventDefault();
      downloadFile(kStageFolder + '/' + stem + '.aod');
      const description = kStageFolder + '/' + stem + '.toml';
      if (exists(description)) downloadFile(description);
    });
    row.appendChild(link);
    list.appendChild(row);
  }
}

// The game says what is wrong with a stage it refused (src/web/page_driver.cpp).
let stageProblems = '';
function quarvexStageProblems(lines) {
  stageProblems = lines;
}

// The reader's messages for the stage at `path`; null when it reads.
function stageCheck(path) {
  stageProblems = '';
  const fine = Module.ccall('quarvex_check_stage', 'number', ['string'], [path]) === 1;
  return fine ? null : stageProblems;
}

// Files chosen together: each stage file with the description of the same
// name, or alone. A stage that does not read is refused with the reader's
// messages; one of the same name already kept is replaced only when the
// player says so, and an .aod alone over it takes the old description with
// it (it described another stage).
function addStages(files) {
  const notes = [];
  const stages = new Map();
  for (const {name, bytes} of files) {
    const safe = name.replace(/[^A-Za-z0-9._-]/g, '_');
    const match = /^(.+)\.(aod|toml)$/i.exec(safe);
    if (!match) {
      notes.push(filled(pageTexts.notAStage, {name: safe}));
      continue;
    }
    const stage = stages.get(match[1]) ?? {};
    stage[match[2].toLowerCase()] = bytes;
    stages.set(match[1], stage);
  }
  FS.mkdirTree(kUploadFolder);
  for (const [stem, stage] of stages) {
    const scratch = kUploadFolder + '/' + stem;
    for (const end of ['.aod', '.toml']) if (exists(scratch + end)) FS.unlink(scratch + end);
    if (stage.aod) FS.writeFile(scratch + '.aod', stage.aod);
    if (stage.toml) FS.writeFile(scratch + '.toml', stage.toml);
    const problems = stageCheck(scratch + (stage.aod ? '.aod' : '.toml'));
    for (const end of ['.aod', '.toml']) if (exists(scratch + end)) FS.unlink(scratch + end);
    if (problems !== null) {
      notes.push(filled(pageTexts.stageRefused, {name: stem, reason: problems}));
      continue;
    }
    const kept = kStageFolder + '/' + stem;
    if ((exists(kept + '.aod') || exists(kept + '.toml')) &&
        !window.confirm(filled(pageTexts.replaceStage, {name: stem}))) {
      notes.push(filled(pageTexts.stageKept, {name: stem}));
      continue;
    }
    FS.mkdirTree(kStageFolder);
    FS.writeFile(kept + '.aod', stage.aod);
    if (stage.toml) FS.writeFile(kept + '.toml', stage.toml);
    else if (exists(kept + '.toml')) FS.unlink(kept + '.toml');
    notes.push(filled(pageTexts.stageAdded, {name: stem}));
  }
  stageNote.textContent = notes.join('\n');
  showStages();
}

document.getElementById('stages-button').addEventListener('click', () => {
  stagesPanel.hidden = !stagesPanel.hidden;
  if (!stagesPanel.hidden) {
    replaysPanel.hidden = true;
    showStages();
  }
  canvas.focus();
});

document.getElementById('stage-file').addEventListener('change', async (event) => {
  const files = [];
  for (const file of event.target.files) {
    files.push({name: file.name, bytes: new Uint8Array(await file.arrayBuffer())});
  }
  event.target.value = '';
  addStages(files);
  canvas.focus();
});
