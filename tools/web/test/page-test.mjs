// Opens the page in headless Chromium and checks it from the outside.
//   node page-test.mjs replay PAGE_DIR SCRIPT OUT_DIR FRAMES FILE...
//     runs SCRIPT as the runner does, waits for its end and copies each FILE it wrote
//     (screenshots, state dumps, the log) out of the page's file system into OUT_DIR.
//   node page-test.mjs save PAGE_DIR DATA_DIR OUT_DIR
//     plays the page as a person would: picks a part in the pivot editor, nudges it and
//     saves; then reloads the page and checks that vecparts.dat still holds the edit.
// Exits 0 when every check holds; says what failed otherwise.
import { createServer } from "node:http";
import { readFile, writeFile, mkdtemp, rm } from "node:fs/promises";
import { extname, join, normalize } from "node:path";
import { tmpdir } from "node:os";
import puppeteer from "puppeteer-core";

const [mode, pageDir, ...rest] = process.argv.slice(2);
// A software renderer needs a minute or two at most for a few hundred passes.
const RUN_TIMEOUT_MS = 300000;
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".png": "image/png", ".txt": "text/plain" };
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let failed = false;
const fail = (text) => { console.log(`FAIL: ${text}`); failed = true; };

// The page's folder over HTTP, and a script under /script.txt.
async function serve(scriptPath) {
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
    const file = path === "/script.txt" && scriptPath ? scriptPath
                                                       : join(pageDir, normalize(path === "/" ? "/index.html" : path));
    try {
      const body = await readFile(file);
      response.writeHead(200, { "Content-Type": types[extname(file)] || "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return server;
}

async function launch() {
  const profile = await mkdtemp(join(tmpdir(), "vantrel-chromium-"));
  // Without the background services switched off, Chromium keeps trying hosts it cannot
  // reach; WebGL comes from its own software renderer.
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--no-first-run", "--disable-background-networking", "--disable-component-update",
           "--disable-sync", "--disable-quic", "--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
  });
  const page = await browser.newPage();
  page.on("console", (message) => console.log(`page: ${message.text()}`));
  page.on("pageerror", (error) => fail(`page error: ${error.message}`));
  await page.setViewport({ width: 1100, height: 1000 });
  return { browser, page, profile };
}

// A file of the page's file system, or null.
async function pageFile(page, path) {
  const text = await page.evaluate((file) => {
    try {
      const data = window.Module.FS.readFile(file);
      let binary = "";
      for (let i = 0; i < data.length; i += 0x8000) binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
      return btoa(binary);
    } catch (e) {
      return null;
    }
  }, path);
  return text === null ? null : Buffer.from(text, "base64");
}

async function replay(page, port, [scriptPath, outDir, frames, ...wanted]) {
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
async function gameStarted(page) {
  await page.waitForFunction(() => window.Module && window.Module.FS && (() => {
    try { return /DirectInput initialized/.test(new TextDecoder().decode(window.Module.FS.readFile("log.log"))); }
    catch (e) { return false; }
  })(), { timeout: RUN_TIMEOUT_MS, polling: 200 });
}

async function save(page, port, [dataDir, outDir]) {
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
  const after = (await pageFile(page, folder + "/vecparts.dat") || "").toString();
  const bundled = await readFile(join(dataDir, "vecparts.dat"), "utf8");
  const changed = bundled.split("\n").filter((line, i) => line !== after.split("\n")[i]);
  if (changed.length !== 1) fail(`after the reload ${changed.length} lines of vecparts.dat differ from the bundled file, not 1`);
  else console.log(`after the reload vecparts.dat keeps the edit (was: ${changed[0]})`);
  if (!after.startsWith(bundled.split("\n")[0])) fail("the saved vecparts.dat lost its first comment");
}

if (!["replay", "save"].includes(mode) || !pageDir) {
  console.error("usage: node page-test.mjs replay PAGE_DIR SCRIPT OUT_DIR FRAMES FILE...\n" +
                "       node page-test.mjs save PAGE_DIR DATA_DIR OUT_DIR");
  process.exit(2);
}
const server = await serve(mode === "replay" ? rest[0] : null);
const { browser, page, profile } = await launch();
try {
  if (mode === "replay") await replay(page, server.address().port, rest);
  else await save(page, server.address().port, rest);
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
