// The page's .zip reader (data.js) in Node.js, with the fflate build the page loads: a small
// .zip that unpacks to far more than it states, a long one the page must not freeze on, a
// wrong check sum and two names that differ only in case.
//   node zip-test.mjs        (after `npm ci` in tools/web/lib)
// Prints one line per check; exits 0 when all hold.
import { readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { deflateRawSync } from "node:zlib";

const MiB = 1 << 20;
// The zip format's records, as far as this test writes them.
const SIG_LOCAL = 0x04034b50, SIG_CENTRAL = 0x02014b50, SIG_END = 0x06054b50;
const LOCAL_SIZE = 30, CENTRAL_SIZE = 46, END_SIZE = 22, DEFLATED = 8;
// Inflating one of the bomb's entries whole takes about a second; a refusal after the first
// slice takes a few milliseconds.
const BOMB_REFUSED_MS = 1000;
// Long enough to unpack that the page must get its turn in between.
const LONG_SIZE = 16 * MiB;

const fflate = createRequire(import.meta.url)("../lib/node_modules/fflate/umd/index.js");
const source = await readFile(new URL("../data.js", import.meta.url), "utf8");
// data.js is one of the page's scripts: its functions come out of the scope it is run in.
const { readZip, crc32 } = new Function("fflate", `${source}\nreturn { readZip, crc32 };`)(fflate);

let failed = false;
const check = (ok, text) => { console.log(`${ok ? "ok" : "FAIL"}: ${text}`); failed ||= !ok; };
async function refusal(bytes) {
  try {
    await readZip(bytes);
    return "accepted";
  } catch (error) {
    return error.message;
  }
}

// A .zip written field by field, as no packer would: every entry of `names` points at the
// one local record of `packed`, each stating `size` and `crc`.
function sharedZip(names, packed, size, crc) {
  const local = Buffer.alloc(LOCAL_SIZE);
  local.writeUInt32LE(SIG_LOCAL, 0);
  local.writeUInt16LE(DEFLATED, 8);
  const central = names.map((name) => {
    const entry = Buffer.alloc(CENTRAL_SIZE);
    entry.writeUInt32LE(SIG_CENTRAL, 0);
    entry.writeUInt16LE(DEFLATED, 10);
    entry.writeUInt32LE(crc, 16);
    entry.writeUInt32LE(packed.length, 20);
    entry.writeUInt32LE(size, 24);
    entry.writeUInt16LE(name.length, 28);
    return Buffer.concat([entry, Buffer.from(name)]);
  });
  const end = Buffer.alloc(END_SIZE);
  end.writeUInt32LE(SIG_END, 0);
  end.writeUInt16LE(names.length, 8);
  end.writeUInt16LE(names.length, 10);
  end.writeUInt32LE(local.length + packed.length, 16);
  return new Uint8Array(Buffer.concat([local, packed, ...central, end]));
}

const names = Array.from({ length: 16 }, (_, i) => `${i}.dat`);
const bomb = sharedZip(names, deflateRawSync(Buffer.alloc(256 * MiB), { level: 9 }), 16, crc32(new Uint8Array(16)));
let started = performance.now();
const said = await refusal(bomb);
const took = performance.now() - started;
check(said === "0.dat is damaged (it unpacks to more than the 16 bytes it states)" && took < BOMB_REFUSED_MS,
      `${Math.round(bomb.length / 1000)} KB of 16 entries sharing 256 MiB of zeros, each stated as 16 bytes, is refused at once: ` +
      `${said}, after ${took.toFixed(0)} ms`);

// Lines of keys with a digit changed here and there: about three to one deflated.
const text = new Uint8Array(LONG_SIZE);
for (let i = 0, seed = 1; i < text.length; i++) {
  seed ^= seed << 13, seed ^= seed >>> 17, seed ^= seed << 5;
  text[i] = seed & 3 ? "key_destangle=-6\n".charCodeAt(i % 17) : "0".charCodeAt(0) + ((seed >>> 8) & 7);
}
const packed = deflateRawSync(text, { level: 1 });
check(await refusal(sharedZip(["a.dat"], packed, text.length, (crc32(text) ^ 1) >>> 0)) === "a.dat is damaged (its check sum differs)",
      "an entry whose bytes do not match its check sum is refused");

let turns = 0;
const ticker = setInterval(() => ++turns, 0);
started = performance.now();
const files = await readZip(fflate.zipSync({ "set/long.dat": text, "set/parts/a.dat": text.subarray(0, 9) }, { level: 1 }));
clearInterval(ticker);
check(files.length === 2 && files[0].path === "long.dat" && Buffer.from(files[0].bytes).equals(text) &&
      files[1].path === "parts/a.dat" && files[1].bytes.length === 9 && turns > 0,
      `${LONG_SIZE >> 20} MB unpacked whole in ${(performance.now() - started).toFixed(0)} ms, the page having ${turns} turns meanwhile`);

const twins = fflate.zipSync({ "set/vecanim.dat": text.subarray(0, 9), "set/VECANIM.DAT": text.subarray(0, 9) });
check(await refusal(twins) === "vecanim.dat and VECANIM.DAT differ only in case, and the game would read only one of them",
      "two names that differ only in case are refused");
process.exit(failed ? 1 : 0);
