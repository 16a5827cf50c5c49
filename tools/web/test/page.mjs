// What the page tests share: the page's folder served on localhost, headless Chromium with
// its downloads caught in a folder, files read out of the page's file system, and waits for
// the game. A failed check prints "FAIL: ..." and marks the run failed.
import { createServer } from "node:http";
import { readFile, readdir, mkdtemp, rm } from "node:fs/promises";
import { extname, join, normalize } from "node:path";
import { tmpdir } from "node:os";
import puppeteer from "puppeteer-core";

// A software renderer needs a minute or two at most for a few hundred passes.
export const RUN_TIMEOUT_MS = 300000;
// A download of a few hundred kilobytes lands well within this.
const DOWNLOAD_TIMEOUT_MS = 20000;
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".png": "image/png", ".txt": "text/plain", ".zip": "application/zip", ".json": "application/json" };
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let failed = false;
export const fail = (text) => { console.log(`FAIL: ${text}`); failed = true; };
export const check = (ok, text) => (ok ? console.log(`ok: ${text}`) : fail(text));
export const hasFailed = () => failed;

// The page's folder over HTTP; `extra` maps an address to a file served in its place.
export async function serve(pageDir, extra = {}) {
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
    const file = extra[path] || join(pageDir, normalize(path === "/" ? "/index.html" : path));
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

export async function launch() {
  const profile = await mkdtemp(join(tmpdir(), "vantrel-chromium-"));
  const downloads = join(profile, "downloads");
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
  const session = await browser.target().createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  const close = async () => {
    await browser.close();
    await rm(profile, { recursive: true, force: true });
  };
  return { browser, page, downloads, close };
}

// Runs `action` and answers the file it made the browser download, by name and bytes.
export async function downloaded(downloads, action) {
  const before = new Set(await readdir(downloads).catch(() => []));
  await action();
  for (const deadline = Date.now() + DOWNLOAD_TIMEOUT_MS; Date.now() < deadline; await sleep(100)) {
    const names = (await readdir(downloads).catch(() => [])).filter((n) => !before.has(n));
    const done = names.find((n) => !n.endsWith(".crdownload"));
    if (done && !names.some((n) => n.endsWith(".crdownload"))) return { name: done, bytes: await readFile(join(downloads, done)) };
  }
  throw new Error("no download arrived");
}

// A file of the page's file system, or null.
export async function pageFile(page, path) {
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

// Until the game's log matches `pattern` (by default: its start-up is done).
export async function logShows(page, pattern = "DirectInput initialized", timeout = RUN_TIMEOUT_MS) {
  await page.waitForFunction((source) => window.Module && window.Module.FS && (() => {
    try { return new RegExp(source).test(new TextDecoder().decode(window.Module.FS.readFile("log.log"))); }
    catch (e) { return false; }
  })(), { timeout, polling: 200 }, pattern);
}
export const gameStarted = (page) => logShows(page);
