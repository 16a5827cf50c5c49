// The player's data in and out of the page. "Download data" packs the game's folder into a
// .zip; "Open data" and a drop on the canvas put a .zip's files, or single files, into it,
// where the game's live reload takes them or says on screen what is wrong; "Reset to the
// bundled data" puts the bundled files back after keeping a .zip of what it replaced;
// ?data=URL runs the game on a .zip from the page's own site, in a fresh folder of the page's
// memory. Files the game hands over (OfferDownload) are offered as downloads. An opening is
// all or nothing: a .zip that cannot be read whole, or a path that would leave the folder,
// writes no file at all. Packing and inflating are fflate's (fflate.js, put beside the page
// by tools/web/build.sh).
"use strict";

// What one opening may unpack: the bundled set is about 60 files and 300 KB. Entries may
// share their data and state any size, so each is held to its stated size as it unpacks and
// the bytes that really come out are counted too.
const ZIP_MAX_FILES = 4096;
const ZIP_MAX_BYTES = 64 * 1024 * 1024;
// Compressed bytes given to the inflater at a time. Deflate expands at most about a thousand
// times, so an entry that unpacks to far more than it states is caught after a few MB.
const INFLATE_SLICE = 4096;
// How long unpacking holds the page's thread before the game gets to draw and take input.
const WORK_SLICE_MS = 20;
// How many copies of replaced data are kept, and how many handed-over files stay listed.
const KEPT_COPIES = 5;
const OFFERED_SHOWN = 6;
// The game's own log: it writes it line by line, so no file from outside replaces it.
const LOG_FILE = "log.log";
// Where a shared set is unpacked: memory only, never the player's own folder.
const SHARED_FOLDER = "/shared/vantrel";
// Entries other systems add to a .zip that are no data: macOS's resource forks and settings.
const JUNK_ENTRY = /(^|\/)(__MACOSX\/|\.DS_Store$)/;
// The zip format's record signatures and the fields this reader needs.
const SIG_END = 0x06054b50, SIG_CENTRAL = 0x02014b50, SIG_LOCAL = 0x04034b50;
const END_SIZE = 22, CENTRAL_SIZE = 46, LOCAL_SIZE = 30, MAX_COMMENT = 0xffff;
// How a .zip file begins: its first file, or the directory of an empty one.
const ZIP_STARTS = [[0x50, 0x4b, 3, 4], [0x50, 0x4b, 5, 6]];
const FLAG_ENCRYPTED = 1, FLAG_UTF8 = 0x800, STORED = 0, DEFLATED = 8, ZIP64_MARK = 0xffffffff;
// The live reload notices a change by size and modification time, which the page's file
// system keeps in whole seconds: a rewrite is stamped at least a second after the last.
const STAMP_STEP_MS = 1000;
const TYPES = { ".zip": "application/zip", ".png": "image/png", ".gif": "image/gif", ".jpg": "image/jpeg",
                ".jpeg": "image/jpeg", ".json": "application/json", ".dat": "text/plain", ".log": "text/plain" };
// Already compressed: deflating them again only costs time.
const PACKED_TYPES = /\.(png|gif|jpe?g|zip)$/i;
const ZIP_FIRST_YEAR = 1980;

const CRC_TABLE = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

// The check sum of `bytes`, going on from that of the bytes before them.
function crc32(bytes, before = 0) {
  let c = (before ^ 0xffffffff) >>> 0;
  for (let i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// A path inside the folder, "/"-separated, or null for one that is absolute or climbs out.
function cleanPath(name) {
  const path = name.replace(/\\/g, "/");
  if (path.startsWith("/") || /^[A-Za-z]:/.test(path)) return null;
  const parts = path.split("/").filter((part) => part !== "" && part !== ".");
  if (parts.length === 0 || parts.includes("..")) return null;
  return parts.join("/");
}

// Two names that differ only in case are one file where the player made them and two in the
// page's folder, where the game reads only the one it asks for.
function refuseCaseTwins(paths) {
  const seen = new Map();
  for (const path of paths) {
    const twin = seen.get(path.toLowerCase());
    if (twin !== undefined && twin !== path) {
      throw new Error(`${twin} and ${path} differ only in case, and the game would read only one of them`);
    }
    seen.set(path.toLowerCase(), path);
  }
}

// A pause for the page whenever unpacking has held its thread for a slice of work.
function pacer() {
  let since = performance.now();
  return async () => {
    if (performance.now() - since < WORK_SLICE_MS) return;
    await new Promise((resolve) => setTimeout(resolve));
    since = performance.now();
  };
}

// The files of a .zip as [{path, bytes}], each checked against its size and CRC; rejects with
// the reason when the archive cannot be read whole or asks for more than an opening may take.
// It unpacks in slices, so the page goes on while it works.
async function readZip(bytes) {
  try {
    return await unpack(bytes);
  } catch (error) {
    // The directory's offsets point past the file's end.
    if (error instanceof RangeError) throw new Error("it is damaged (it ends too soon)");
    throw error;
  }
}

async function unpack(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  let end = bytes.length - END_SIZE;
  const last = Math.max(0, end - MAX_COMMENT);
  while (end >= last && view.getUint32(end, true) !== SIG_END) --end;
  if (end < last) throw new Error("it is not a .zip file, or one cut short");
  const count = view.getUint16(end + 10, true);
  let at = view.getUint32(end + 16, true);
  if (count > ZIP_MAX_FILES || at === ZIP64_MARK) throw new Error(`it holds more than ${ZIP_MAX_FILES} files`);
  const entries = [];
  let total = 0;
  for (let i = 0; i < count; i++) {
    if (view.getUint32(at, true) !== SIG_CENTRAL) throw new Error("its directory is damaged");
    const flags = view.getUint16(at + 8, true), method = view.getUint16(at + 10, true);
    const crc = view.getUint32(at + 16, true), packed = view.getUint32(at + 20, true);
    const size = view.getUint32(at + 24, true), local = view.getUint32(at + 42, true);
    const nameBytes = bytes.subarray(at + CENTRAL_SIZE, at + CENTRAL_SIZE + view.getUint16(at + 28, true));
    const name = flags & FLAG_UTF8 ? new TextDecoder().decode(nameBytes) : String.fromCharCode(...nameBytes);
    at += CENTRAL_SIZE + nameBytes.length + view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
    if (name.endsWith("/") || JUNK_ENTRY.test(name)) continue;
    if (flags & FLAG_ENCRYPTED) throw new Error(`${name} is encrypted`);
    if (method !== STORED && method !== DEFLATED) throw new Error(`${name} is packed in a way the page cannot read`);
    total += size;
    if (size === ZIP64_MARK || packed === ZIP64_MARK || total > ZIP_MAX_BYTES) {
      throw new Error(`it unpacks to more than ${ZIP_MAX_BYTES >> 20} MB`);
    }
    const path = cleanPath(name);
    if (!path) throw new Error(`${name} would land outside the game's folder`);
    entries.push({ name, path, method, crc, packed, size, local });
  }
  // A .zip made of a folder holds everything under that folder's name: the files go in without it.
  const top = entries.length && entries[0].path.split("/")[0];
  if (entries.length && entries.every((e) => e.path.startsWith(top + "/"))) {
    for (const e of entries) e.path = e.path.slice(top.length + 1);
  }
  refuseCaseTwins(entries.map((e) => e.path));
  const pause = pacer();
  const files = [];
  let unpacked = 0;
  for (const e of entries) {
    if (view.getUint32(e.local, true) !== SIG_LOCAL) throw new Error(`${e.name} is damaged`);
    const start = e.local + LOCAL_SIZE + view.getUint16(e.local + 26, true) + view.getUint16(e.local + 28, true);
    const data = bytes.subarray(start, start + e.packed);
    if (data.length !== e.packed) throw new Error(`${e.name} is cut short`);
    const out = await unpackEntry(e, data, pause);
    unpacked += out.length;
    if (unpacked > ZIP_MAX_BYTES) throw new Error(`it unpacks to more than ${ZIP_MAX_BYTES >> 20} MB`);
    files.push({ path: e.path, bytes: out });
  }
  return files;
}

// One entry's bytes, inflated or copied a slice at a time; refused as soon as they run past
// the size the directory states, so what it really holds never costs more than a slice more.
async function unpackEntry(e, data, pause) {
  const out = new Uint8Array(e.size);
  let length = 0, crc = 0, over = false;
  const take = (chunk) => {
    if (chunk.length > e.size - length) {
      over = true;
      return;
    }
    out.set(chunk, length);
    length += chunk.length;
    crc = crc32(chunk, crc);
  };
  const inflater = e.method === DEFLATED ? new fflate.Inflate(take) : null;
  let at = 0;
  do {
    const slice = data.subarray(at, at + INFLATE_SLICE);
    at += slice.length;
    if (!inflater) {
      take(slice);
    } else {
      try {
        inflater.push(slice, at === data.length);
      } catch (error) {
        throw new Error(`${e.name} is damaged (${error.message})`);
      }
    }
    if (over) throw new Error(`${e.name} is damaged (it unpacks to more than the ${e.size} bytes it states)`);
    await pause();
  } while (at < data.length);
  if (length !== e.size) throw new Error(`${e.name} is damaged (it unpacks to ${length} bytes, not the ${e.size} it states)`);
  if (crc !== e.crc) throw new Error(`${e.name} is damaged (its check sum differs)`);
  return out;
}

function typeOf(name) {
  const dot = name.lastIndexOf(".");
  return TYPES[dot < 0 ? "" : name.slice(dot).toLowerCase()] || "application/octet-stream";
}

function download(name, bytes) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([bytes], { type: typeOf(name) }));
  link.download = name;
  link.click();
  URL.revokeObjectURL(link.href);
}

// Local date and time for file names: 2024-05-01-1203.
function stamp(date = new Date()) {
  const two = (n) => String(n).padStart(2, "0");
  return `${date.getFullYear()}-${two(date.getMonth() + 1)}-${two(date.getDate())}-` +
         `${two(date.getHours())}${two(date.getMinutes())}${two(date.getSeconds())}`;
}

// Wires the page's data buttons to the game. `ui` holds the page's elements; `say` shows a
// line over the canvas, `note` adds one to the page's console.
function setUpData(Module, params, ui, say, note) {
  const FS = () => Module.FS;
  let folders = null;  // from the program: player, bundled, kept, stored
  let work = Promise.resolve();

  function tell(text, problem = false) {
    ui.dataNote.textContent = text;
    ui.dataNote.className = problem ? "problem" : "";
    note(text);
  }
  function persist() { if (Module.persistPlayerFolder) Module.persistPlayerFolder(); }
  function exists(path) { return FS().analyzePath(path).exists; }
  function isFolder(path) { const found = FS().analyzePath(path); return found.exists && FS().isDir(found.object.mode); }

  // Every file under a folder, by path inside it.
  function filesOf(folder) {
    const files = [];
    const walk = (dir, prefix) => {
      for (const name of FS().readdir(dir)) {
        if (name === "." || name === "..") continue;
        const path = `${dir}/${name}`;
        const stat = FS().stat(path);
        if (FS().isDir(stat.mode)) walk(path, `${prefix}${name}/`);
        else if (FS().isFile(stat.mode)) files.push({ path: prefix + name, bytes: FS().readFile(path), mtime: stat.mtime });
      }
    };
    walk(folder, "");
    return files;
  }

  function zipOf(folder) {
    const entries = {};
    for (const f of filesOf(folder)) {
      // A .zip cannot date a file before 1980.
      const mtime = f.mtime.getFullYear() >= ZIP_FIRST_YEAR ? f.mtime : new Date();
      entries[f.path] = [f.bytes, { mtime, level: PACKED_TYPES.test(f.path) ? 0 : 6 }];
    }
    return fflate.zipSync(entries);
  }

  // Writes files into a folder, skipping those that already hold the same bytes; answers the
  // paths written. Checked first, so a clash with a folder writes nothing.
  function writeInto(folder, files) {
    const paths = new Set(files.map((f) => f.path));
    for (const f of files) {
      const full = `${folder}/${f.path}`;
      const parts = f.path.split("/");
      for (let i = 1; i < parts.length; i++) {
        const inside = parts.slice(0, i).join("/");
        const parent = `${folder}/${inside}`;
        if (paths.has(inside) || (exists(parent) && !isFolder(parent))) {
          throw new Error(`${f.path}: ${inside} is a file. The game's folder is unchanged.`);
        }
      }
      if (isFolder(full)) throw new Error(`${f.path} is a folder in the game's folder. The game's folder is unchanged.`);
    }
    const written = [];
    for (const f of files) {
      const full = `${folder}/${f.path}`;
      let before = null;
      if (exists(full)) {
        const old = FS().readFile(full);
        if (old.length === f.bytes.length && old.every((b, i) => b === f.bytes[i])) continue;
        before = FS().stat(full).mtime.getTime();
      }
      try {
        FS().mkdirTree(full.slice(0, full.lastIndexOf("/")));
        FS().writeFile(full, f.bytes);
      } catch (error) {
        throw new Error(`${f.path} could not be written (${error.message || error}); ` +
                        `written before it: ${written.join(", ") || "nothing"}.`);
      }
      if (before !== null) {
        const when = Math.max(Date.now(), before + STAMP_STEP_MS);
        FS().utime(full, when, when);
      }
      written.push(f.path);
    }
    return written;
  }

  // The files of the chosen or dropped files: a .zip gives its contents, any other file itself.
  async function gather(fileList) {
    const files = [];
    for (const file of fileList) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      const zipped = /\.zip$/i.test(file.name) || ZIP_STARTS.some((start) => start.every((b, i) => bytes[i] === b));
      if (zipped) {
        try {
          files.push(...(await readZip(bytes)));
        } catch (error) {
          throw new Error(`${file.name}: ${error.message}`);
        }
      } else {
        const path = cleanPath(file.name);
        if (!path) throw new Error(`${file.name}: not a file name the game can use`);
        files.push({ path, bytes });
      }
    }
    return files;
  }

  function open(fileList) {
    if (!folders || Module.ended) {
      tell(folders ? "The game has ended: reload the page to open data." : "The game is still starting: open the data once it runs.", true);
      return;
    }
    if (fileList.length === 0) return;
    work = work.then(() => openNow(fileList)).catch((error) => tell(`Not opened: ${error.message}`, true));
  }

  async function openNow(fileList) {
    const names = fileList.map((f) => f.name).join(", ");
    const unchanged = "The game's folder is unchanged.";
    let kept;
    try {
      const files = await gather(fileList);
      // A later file of the same name wins, as it would in a folder.
      kept = [...new Map(files.filter((f) => f.path !== LOG_FILE).map((f) => [f.path, f])).values()];
      refuseCaseTwins(kept.map((f) => f.path));
    } catch (error) {
      throw new Error(`${error.message}. ${unchanged}`);
    }
    if (kept.length === 0) throw new Error(`${names} holds no data files.`);
    const written = writeInto(folders.player, kept);
    persist();
    const same = kept.length - written.length;
    let text = written.length ? `Opened ${written.join(", ")}` : `Nothing new in ${names}`;
    if (same) text += ` (${same} ${same === 1 ? "file" : "files"} already the same)`;
    if (written.length) text += "; the game reads the figure's and the level's files at once (see its message).";
    tell(text);
  }

  function showKept() {
    ui.kept.replaceChildren();
    if (!folders || !folders.kept || !isFolder(folders.kept)) return;
    const copies = FS().readdir(folders.kept).filter((n) => n.endsWith(".zip")).sort().reverse();
    for (const name of copies) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = `Download ${name}`;
      button.title = "What the reset replaced, as it was";
      button.onclick = () => download(name, FS().readFile(`${folders.kept}/${name}`));
      ui.kept.append(button);
    }
  }

  function reset() {
    if (!folders || Module.ended) return;
    if (!confirm("Replace the game's data with the bundled data? A .zip of what is there now is kept on this page.")) return;
    const copy = `replaced-${stamp()}.zip`;
    try {
      FS().mkdirTree(folders.kept);
      FS().writeFile(`${folders.kept}/${copy}`, zipOf(folders.player));
    } catch (error) {
      tell(`Not reset: no copy of the data could be kept (${error.message}).`, true);
      return;
    }
    try {
      const copies = FS().readdir(folders.kept).filter((n) => n.endsWith(".zip")).sort();
      for (const old of copies.slice(0, Math.max(0, copies.length - KEPT_COPIES))) FS().unlink(`${folders.kept}/${old}`);
      const written = replaceWithBundled();
      tell(`Reset to the bundled data (${written.length} ${written.length === 1 ? "file" : "files"} put back); ` +
           `what was there is kept as ${copy}.`);
    } catch (error) {
      tell(`The reset stopped: ${error.message} What was there is kept as ${copy}.`, true);
    }
    persist();
    showKept();
  }

  // The folder becomes the bundled set exactly: files the bundle does not have go, but the log.
  function replaceWithBundled() {
    const bundled = filesOf(folders.bundled);
    const wanted = new Set(bundled.map((f) => f.path).concat(LOG_FILE));
    const clear = (dir, prefix) => {
      for (const name of FS().readdir(dir)) {
        if (name === "." || name === "..") continue;
        const path = `${dir}/${name}`;
        if (isFolder(path)) {
          clear(path, `${prefix}${name}/`);
          if (FS().readdir(path).length <= 2) FS().rmdir(path);
        } else if (!wanted.has(prefix + name)) {
          FS().unlink(path);
        }
      }
    };
    clear(folders.player, "");
    return writeInto(folders.player, bundled);
  }

  // The game hands over a file it wrote: its bytes now, as a download and as a link that stays.
  Module.offerDownload = (path) => {
    let bytes;
    try {
      bytes = FS().readFile(path);
    } catch (error) {
      note(`${path}: nothing to download (${error})`);
      return;
    }
    const name = path.split("/").pop();
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: typeOf(name) }));
    link.download = name;
    link.textContent = name;
    ui.offered.prepend(link);
    while (ui.offered.children.length > OFFERED_SHOWN) {
      URL.revokeObjectURL(ui.offered.lastElementChild.href);
      ui.offered.lastElementChild.remove();
    }
    link.click();
  };

  Module.onFolders = (given) => {
    folders = given;
    for (const button of [ui.download, ui.open, ui.reset]) button.disabled = false;
    showKept();
  };
  const ended = Module.onEnded;
  Module.onEnded = (code) => {
    ended(code);
    ui.open.disabled = ui.reset.disabled = true;
  };

  ui.download.onclick = () => {
    if (!folders) return;
    try {
      download(`vantrel-data-${stamp()}.zip`, zipOf(folders.player));
    } catch (error) {
      tell(`Not downloaded: ${error.message}`, true);
    }
  };
  ui.open.onclick = () => ui.openFiles.click();
  ui.openFiles.onchange = () => { open([...ui.openFiles.files]); ui.openFiles.value = ""; };
  ui.reset.onclick = reset;
  // Dropped files go into the game's folder; a drop beside the canvas must not make the
  // browser leave the game to show the file.
  for (const kind of ["dragover", "drop"]) addEventListener(kind, (event) => event.preventDefault());
  Module.canvas.addEventListener("dragover", (event) => {
    event.dataTransfer.dropEffect = folders && !Module.ended ? "copy" : "none";
    ui.frame.classList.add("dropping");
  });
  Module.canvas.addEventListener("dragleave", () => ui.frame.classList.remove("dropping"));
  Module.canvas.addEventListener("drop", (event) => {
    ui.frame.classList.remove("dropping");
    open([...event.dataTransfer.files]);
  });

  const shared = params.get("data");
  if (shared && !params.get("replay")) loadShared(shared);

  // ?data=URL: the set is fetched and unpacked before the program starts; the game does
  // not start on anything else when that fails, so nobody takes their own data for the set.
  function loadShared(url) {
    const refuse = (why) => {
      Module.ended = true;
      say("The shared set could not be loaded.");
      tell(`The shared set ${url} could not be loaded: ${why}.`, true);
      const link = document.createElement("a");
      link.href = location.pathname;
      link.textContent = "Play without it";
      ui.dataNote.append(" ", link);
    };
    let address;
    try {
      address = new URL(url, location.href);
    } catch (error) {
      Module.preRun.push(() => { Module.addRunDependency("shared-set"); refuse("it is not an address"); });
      return;
    }
    Module.preRun.push(() => {
      Module.addRunDependency("shared-set");
      if (address.origin !== location.origin) {
        refuse("only a .zip from this page's own site can be opened");
        return;
      }
      fetch(address, { mode: "same-origin" }).then((response) => {
        if (!response.ok) throw new Error(`the server answered ${response.status}`);
        return response.arrayBuffer();
      }).then(async (bytes) => {
        const files = (await readZip(new Uint8Array(bytes))).filter((f) => f.path !== LOG_FILE);
        if (files.length === 0) throw new Error("it holds no files");
        FS().mkdirTree(SHARED_FOLDER);
        writeInto(SHARED_FOLDER, files);
        tell(`Playing the shared set ${url}: it lives in this page only; Download data keeps your changes.`);
        Module.removeRunDependency("shared-set");
      }).catch((error) => refuse(error.message));
    });
    Module.arguments = ["--folder", SHARED_FOLDER];
  }
}
