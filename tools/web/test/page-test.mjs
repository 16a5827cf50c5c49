// Opens the page in headless Chromium and checks it from the outside.
//   node page-test.mjs replay PAGE_DIR SCRIPT OUT_DIR FRAMES FILE...
//     runs SCRIPT as the runner does, waits for its end and copies each FILE it wrote
//     (screenshots, state dumps, the log) out of the page's file system into OUT_DIR.
//   node page-test.mjs save PAGE_DIR DATA_DIR OUT_DIR
//     plays the page as a person would: picks a part in the pivot editor, nudges it and
//     saves; then reloads the page and checks that vecparts.dat still holds the edit, and
//     that "Download data" gives a .zip with that vecparts.dat and the rest of the folder.
// Exits 0 when every check holds; says what failed otherwise.
import { readFile, writeFile } from "node:fs/promises";
import { join } from "node:path";
import { unzipSync } from "fflate";
import { RUN_TIMEOUT_MS, sleep, fail, check, hasFailed, serve, launch, downloaded, pageFile, gameStarted } from "./page.mjs";

const [mode, pageDir, ...rest] = process.argv.slice(2);

async function replay(page, port, [, outDir, frames, ...wanted]) {
  await page.goto(`http://127.0.0.1:${port}/index.html?replay=/script.txt&frames=${frames}`);
  await page.waitForFunction(() => window.Module && window.Module.ended, { timeout: RUN_TIMEOUT_MS, polling: 200 });
  const code = await page.evaluate(() => window.Module.exitCode);
  if (code !== 0) fail(`the run ended with exit code ${code}`);
  await page.screenshot({ path: join(outDir, "page.png") });
  for (const name of wanted) {
    const bytes = await pageFile(page, "/usr/share/vantrel/" + name);
    if (bytes) await writeFile(join(outDir, name), bytes);
    else fail(`${name} was not written`);
  }
}

// The game's cursor follows the mouse's motion, twice over (the game's own speed), from
// where the first motion finds it; the canvas is scaled to the page.
async function moveGameCursor(page, x, y) {
  const box = await (await page.$("#canvas")).boundingBox();
  const scale = box.width / 1024;
  const steps = 20;
  for (let i = 0; i <= steps; i++) {
    await page.mouse.move(box.x + (4 + (x / 2) * i / steps) * scale, box.y + (4 + (y / 2) * i / steps) * scale);
    await sleep(30);
  }
}

// Until the game's log says its start-up is done.
async function save({ page, downloads }, port, [dataDir, outDir]) {
  await page.goto(`http://127.0.0.1:${port}/index.html`);
  await gameStarted(page);
  const folder = await page.evaluate(() => window.Module.FS.cwd());
  if (!folder.startsWith("/home/web_user/")) fail(`the game runs in ${folder}, not the player's folder`);
  const box = await (await page.$("#canvas")).boundingBox();
  await page.mouse.click(box.x + 4, box.y + 4);
  await page.keyboard.press("F3");
  await sleep(300);
  // The front arm on the first screen, as tools/web/walk.script finds it.
  await moveGameCursor(page, 512, 346);
  await sleep(300);
  await page.mouse.down();
  await sleep(100);
  await page.mouse.up();
  await sleep(300);
  await page.keyboard.press("ArrowUp");
  await sleep(200);
  await page.keyboard.down("Control");
  await page.keyboard.press("s");
  await page.keyboard.up("Control");
  await sleep(300);
  await page.screenshot({ path: join(outDir, "saved.png") });
  const log = (await pageFile(page, folder + "/log.log") || "").toString();
  if (!/vecparts\.dat saved: 1 value written/.test(log)) fail("the editor's save was not logged");
  // The page writes the player's folder back within a second; a reload then reads it.
  await sleep(1500);
  await page.reload();
  await gameStarted(page);
  const afterBytes = await pageFile(page, folder + "/vecparts.dat") || Buffer.alloc(0);
  const after = afterBytes.toString();
  const bundled = await readFile(join(dataDir, "vecparts.dat"), "utf8");
  const changed = bundled.split("\n").filter((line, i) => line !== after.split("\n")[i]);
  if (changed.length !== 1) fail(`after the reload ${changed.length} lines of vecparts.dat differ from the bundled file, not 1`);
  else console.log(`after the reload vecparts.dat keeps the edit (was: ${changed[0]})`);
  if (!after.startsWith(bundled.split("\n")[0])) fail("the saved vecparts.dat lost its first comment");

  const zip = await downloaded(downloads, () => page.click("#download"));
  await writeFile(join(outDir, zip.name), zip.bytes);
  const files = unzipSync(zip.bytes);
  check(files["vecparts.dat"] && Buffer.from(files["vecparts.dat"]).equals(afterBytes),
        `the downloaded ${zip.name} holds the saved vecparts.dat`);
  const wanted = ["vecman.dat", "vecanim.dat", "veclevel.dat", "head.png", "font.png", "log.log"];
  const missing = wanted.filter((name) => !files[name]);
  check(missing.length === 0, `it holds the other data files, the images and the log${missing.length ? ` (missing: ${missing})` : ""}`);
  const bundledImage = await readFile(join(dataDir, "head.png"));
  check(files["head.png"] && Buffer.from(files["head.png"]).equals(bundledImage), "an image comes out as it went in");
}

if (!["replay", "save"].includes(mode) || !pageDir) {
  console.error("usage: node page-test.mjs replay PAGE_DIR SCRIPT OUT_DIR FRAMES FILE...\n" +
                "       node page-test.mjs save PAGE_DIR DATA_DIR OUT_DIR");
  process.exit(2);
}
const server = await serve(pageDir, mode === "replay" ? { "/script.txt": rest[0] } : {});
const browser = await launch();
try {
  if (mode === "replay") await replay(browser.page, server.address().port, rest);
  else await save(browser, server.address().port, rest);
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
  server.close();
}
process.exit(hasFailed() ? 1 : 0);
