// The sheet vantrel-export writes, read by real clients in headless Chromium: PixiJS
// (Assets.load, as a spritesheet) and Phaser (load.aseprite, anims.createFromAseprite), from
// npm as this folder's lock file pins them. Each must find every picture at its size, one
// animation per tag with all of its pictures, and Phaser the durations written; one picture
// PixiJS draws must be its cell of the PNG, within the rounding of a premultiplied copy.
// Usage: node sheet-test.mjs SHEET.json (its PNG beside it, as meta.image names it)
import { readFile } from "node:fs/promises";
import { dirname, join, basename } from "node:path";
import { fileURLToPath } from "node:url";
import { inflateSync } from "node:zlib";
import { serve, launch, check, fail, hasFailed } from "./page.mjs";

const here = dirname(fileURLToPath(import.meta.url));
// A drawn copy goes through the browser's premultiplied upload and the renderer's blend:
// each premultiplied channel may round off by this much.
const CHANNEL_TOLERANCE = 2;

// An 8-bit RGBA PNG without interlacing, as the exporter writes it, decoded to straight RGBA.
function decodePng(bytes) {
  let at = 8, width = 0, height = 0;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), type = bytes.toString("latin1", at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 6 || body[12] !== 0) throw new Error("not an 8-bit RGBA PNG without interlacing");
    } else if (type === "IDAT") {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * 4, rgba = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= 4 ? rgba[y * stride + x - 4] : 0, b = y > 0 ? rgba[(y - 1) * stride + x] : 0;
      const c = x >= 4 && y > 0 ? rgba[(y - 1) * stride + x - 4] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rgba[y * stride + x] = (line[x] + predicted) & 0xff;
    }
  }
  return { width, height, rgba };
}

const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

async function main() {
  const jsonPath = process.argv[2];
  if (!jsonPath) throw new Error("usage: node sheet-test.mjs SHEET.json");
  const json = JSON.parse(await readFile(jsonPath, "utf8"));
  const pngPath = join(dirname(jsonPath), json.meta.image);
  const sheet = decodePng(await readFile(pngPath));
  const frames = json.frames, tags = json.meta.frameTags;
  check(Array.isArray(frames) && frames.every((f, i) => f.filename === String(i)),
        `the JSON's ${frames.length} pictures are named by their index`);

  // The picture PixiJS draws: the most trimmed one, so that the trim is put back as well.
  let drawn = 0;
  frames.forEach((f, i) => {
    const area = (g) => g.frame.w * g.frame.h / (g.sourceSize.w * g.sourceSize.h);
    if (area(f) < area(frames[drawn])) drawn = i;
  });

  const extra = { "/pixi.js": join(here, "node_modules/pixi.js/dist/pixi.min.js"),
                  "/phaser.js": join(here, "node_modules/phaser/dist/phaser.min.js"),
                  "/sheet.json": jsonPath, [`/${json.meta.image}`]: pngPath };
  const server = await serve(here, extra);
  const { page, close } = await launch();
  try {
    await page.goto(`http://127.0.0.1:${server.address().port}/sheet.html`);
    const pixi = await page.evaluate((name) => window.readWithPixi("/sheet.json", name), String(drawn));
    const phaser = await page.evaluate((png) => window.readWithPhaser(png, "/sheet.json"), `/${json.meta.image}`);

    // PixiJS: every picture, its cell, its untrimmed size and its trim.
    const pixiNames = Object.keys(pixi.textures);
    check(pixiNames.length === frames.length, `PixiJS finds ${pixiNames.length} of the ${frames.length} pictures`);
    const pixiWrong = frames.filter((f) => {
      const t = pixi.textures[f.filename];
      return !t || !same(t.frame, f.frame) || !same(t.orig, f.sourceSize) ||
             (f.trimmed ? !same(t.trim, f.spriteSourceSize) : t.trim !== null);
    });
    check(pixiWrong.length === 0, `PixiJS cuts every picture at its place and size, trim put back` +
          (pixiWrong.length ? ` (not: ${pixiWrong.map((f) => f.filename).join(" ")})` : ""));
    // One animation per tag, each with every one of its pictures.
    const tagPictures = (tag) => Array.from({ length: tag.to - tag.from + 1 }, (_, i) => String(tag.from + i));
    check(same(Object.keys(pixi.animations).sort(), tags.map((t) => t.name).sort()),
          `PixiJS has one animation per tag (${tags.length})`);
    check(tags.every((t) => same(pixi.animations[t.name], tagPictures(t))),
          "each PixiJS animation holds every picture of its tag, in order");

    // Phaser: the texture's frames, the animations and their durations.
    const phaserNames = Object.keys(phaser.frames).filter((n) => n !== "__BASE");
    check(phaserNames.length === frames.length, `Phaser finds ${phaserNames.length} of the ${frames.length} pictures`);
    const phaserWrong = frames.filter((f) => {
      const t = phaser.frames[f.filename];
      return !t || !same(t.cut, f.frame) || !same(t.real, f.sourceSize) || t.trimmed !== f.trimmed;
    });
    check(phaserWrong.length === 0, "Phaser cuts every picture at its place and untrimmed size" +
          (phaserWrong.length ? ` (not: ${phaserWrong.map((f) => f.filename).join(" ")})` : ""));
    check(same(Object.keys(phaser.animations).sort(), tags.map((t) => t.name).sort()),
          `Phaser makes one animation per tag (${Object.keys(phaser.animations).length} of ${tags.length})`);
    const durationsWrong = tags.filter((t) => {
      const anim = phaser.animations[t.name];
      return !anim || !same(anim.map((f) => f.name), tagPictures(t)) || !anim.every((f) => f.present) ||
             !same(anim.map((f) => f.duration), tagPictures(t).map((n) => frames[Number(n)].duration));
    });
    check(durationsWrong.length === 0, "each Phaser animation has every picture of its tag, in the texture, " +
          "with the duration written" + (durationsWrong.length ? ` (not: ${durationsWrong.map((t) => t.name)})` : ""));

    // The picture PixiJS drew against its cell of the PNG, put back at its trim, compared
    // premultiplied as the renderer holds it.
    const f = frames[drawn], w = f.sourceSize.w, h = f.sourceSize.h;
    const got = Buffer.from(pixi.picture.rgba, "base64");
    let worst = 0, differing = 0;
    if (pixi.picture.width !== w || pixi.picture.height !== h) {
      fail(`PixiJS drew picture ${drawn} at ${pixi.picture.width}x${pixi.picture.height}, not ${w}x${h}`);
    } else {
      for (let y = 0; y < h; ++y) {
        for (let x = 0; x < w; ++x) {
          const sx = x - f.spriteSourceSize.x, sy = y - f.spriteSourceSize.y;
          const inside = sx >= 0 && sy >= 0 && sx < f.frame.w && sy < f.frame.h;
          const from = inside ? ((f.frame.y + sy) * sheet.width + f.frame.x + sx) * 4 : -1;
          const alpha = inside ? sheet.rgba[from + 3] : 0;
          let off = 0;
          for (let c = 0; c < 4; ++c) {
            const want = !inside ? 0 : c === 3 ? alpha : Math.round(sheet.rgba[from + c] * alpha / 255);
            off = Math.max(off, Math.abs(got[(y * w + x) * 4 + c] - want));
          }
          worst = Math.max(worst, off);
          if (off > CHANNEL_TOLERANCE) ++differing;
        }
      }
      check(differing === 0, `picture ${drawn} (${f.frame.w}x${f.frame.h} of ${w}x${h}) drawn by PixiJS is its ` +
            `cell of ${basename(pngPath)}: ${differing} pixels off, at most ${worst} a channel`);
    }
  } finally {
    await close();
    server.close();
  }
  if (hasFailed()) process.exit(1);
}

main().catch((error) => {
  console.log(`FAIL: ${error.stack || error}`);
  process.exit(1);
});
