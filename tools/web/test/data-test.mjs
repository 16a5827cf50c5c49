// Takes data in and out of the page in headless Chromium, as a player would.
//   node data-test.mjs PAGE_DIR DATA_DIR OUT_DIR
// In one browser profile: "Open data" with a .zip whose vecanim.dat changed (the game must
// reload it), with a damaged .zip (the page must refuse it and change nothing), a dropped
// vecanim.dat the game's rules refuse, a file the game hands over (OfferDownload), "Reset to
// the bundled data" with its kept copy, and ?data= with a served set and with a missing one.
// Prints one line per check; exits 0 when all hold.
import { readFile, readdir, writeFile } from "node:fs/promises";
import { join } from "node:path";
import { zipSync, unzipSync } from "fflate";
import { sleep, fail, check, hasFailed, serve, launch, downloaded, pageFile, logShows, gameStarted } from "./page.mjs";

const [pageDir, dataDir, outDir] = process.argv.slice(2);
// The game looks at its files twice a second; a reload is logged well within this.
const RELOAD_TIMEOUT_MS = 15000;
const PLAYER = "/home/web_user/.local/share/vantrel";
const SHARED = "/shared/vantrel";

// The bundled set, with some files replaced, zipped under a folder as people zip folders.
async function bundledSet(changes, under = "my-set/") {
  const files = {};
  for (const name of await readdir(dataDir)) files[under + name] = new Uint8Array(await readFile(join(dataDir, name)));
  for (const [name, text] of Object.entries(changes)) files[under + name] = Buffer.from(text);
  return zipSync(files);
}

const bundledAnim = await readFile(join(dataDir, "vecanim.dat"), "utf8");
const bundledParts = await readFile(join(dataDir, "vecparts.dat"), "utf8");
// The punch's first key turns the arm twice as far; a key the reader does not know breaks it.
const changedAnim = bundledAnim.replace("key_destangle=-6\n", "key_destangle=-12\n");
const brokenAnim = bundledAnim.replace("key_destangle=-6\n", "key_destangle=-6\nkey_wobble=3\n");
const sharedParts = bundledParts.replace("yoffset=-26.0", "yoffset=-20.0");
if (changedAnim === bundledAnim || brokenAnim === bundledAnim || sharedParts === bundledParts) {
  console.log("FAIL: the bundled data no longer has the lines this test changes");
  process.exit(1);
}
const files = {
  "/sets/changed.zip": join(outDir, "changed.zip"),
  "/sets/broken.zip": join(outDir, "broken.zip"),
  "/sets/shared.zip": join(outDir, "shared.zip"),
};
await writeFile(files["/sets/changed.zip"], await bundledSet({ "vecanim.dat": changedAnim }));
// A download cut short: the start of a .zip without its end.
await writeFile(files["/sets/broken.zip"], (await bundledSet({})).subarray(0, 4000));
await writeFile(files["/sets/shared.zip"], zipSync({ "vecparts.dat": Buffer.from(sharedParts) }));

const text = async (page, path) => ((await pageFile(page, path)) || "").toString();
const note = (page) => page.$eval("#dataNote", (e) => ({ text: e.textContent, problem: e.className === "problem" }));

async function openWithPicker(page, path) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#open")]);
  await chooser.accept([path]);
}

async function dropOnCanvas(page, name, content) {
  await page.evaluate((fileName, body) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([body], fileName));
    window.Module.canvas.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, name, content);
}

async function openAndReset({ page, downloads }, base) {
  await page.goto(`${base}/index.html`);
  await gameStarted(page);
  await page.waitForFunction(() => !document.getElementById("open").disabled);

  await openWithPicker(page, files["/sets/changed.zip"]);
  await logShows(page, "Data reloaded: vecanim\\.dat", RELOAD_TIMEOUT_MS);
  check(await text(page, `${PLAYER}/vecanim.dat`) === changedAnim, "a .zip opened with the picker: the game reloads its changed vecanim.dat");
  check((await note(page)).text.startsWith("Opened vecanim.dat "), "the page names the one file that changed");
  check(await page.evaluate(() => document.pointerLockElement === null), "a page button does not lock the pointer onto the game");

  const logBefore = await text(page, `${PLAYER}/log.log`);
  await openWithPicker(page, files["/sets/broken.zip"]);
  await page.waitForFunction(() => document.getElementById("dataNote").className === "problem");
  const refusal = await note(page);
  check(/^Not opened: broken\.zip: .*unchanged\.$/.test(refusal.text), `a damaged .zip is refused on the page (${refusal.text})`);
  await sleep(1200);
  check(await text(page, `${PLAYER}/vecanim.dat`) === changedAnim &&
        !/Data (not )?reloaded/.test((await text(page, `${PLAYER}/log.log`)).slice(logBefore.length)),
        "and nothing in the game's folder changed");

  await dropOnCanvas(page, "vecanim.dat", brokenAnim);
  await logShows(page, "Data not reloaded \\(vecanim\\.dat\\)", RELOAD_TIMEOUT_MS);
  const log = await text(page, `${PLAYER}/log.log`);
  check(/vecanim\.dat:\d+: unknown key "key_wobble"/.test(log), "a dropped vecanim.dat the rules refuse: the game says why and keeps its data");
  await page.screenshot({ path: join(outDir, "refused.png") });

  const offered = await downloaded(downloads, () => page.evaluate(() => window.Module.offerDownload("log.log")));
  check(offered.name === "log.log" && offered.bytes.toString().includes("Data not reloaded"),
        "a file the game hands over arrives as a download");
  check(await page.$eval("#offered a", (a) => a.textContent) === "log.log", "and stays listed on the page");

  // e in pose mode: the game writes the frame's pictures and hands each over.
  const box = await (await page.$("#canvas")).boundingBox();
  await page.mouse.click(box.x + 4, box.y + 4);
  await page.keyboard.press("F4");
  await sleep(300);
  const exported = await downloaded(downloads, () => page.keyboard.press("e"));
  check(/^0-punch.*\.(gif|png|json)$/.test(exported.name), `e in pose mode offers the frame's pictures as downloads (${exported.name})`);
  await page.waitForFunction(() => [...document.querySelectorAll("#offered a")].filter((a) => /0-punch/.test(a.textContent)).length === 3,
                             { timeout: RELOAD_TIMEOUT_MS });
  check(true, "the GIF, the sheet and its JSON are listed on the page");
  await page.keyboard.press("F1");
  await page.evaluate(() => document.exitPointerLock());

  page.once("dialog", (dialog) => dialog.accept());
  await page.click("#reset");
  await logShows(page, "Data reloaded: vecanim\\.dat[^]*Data reloaded: vecanim\\.dat", RELOAD_TIMEOUT_MS);
  check(await text(page, `${PLAYER}/vecanim.dat`) === bundledAnim, "a reset puts the bundled vecanim.dat back and the game takes it");
  const kept = await downloaded(downloads, () => page.click("#kept button"));
  const keptAnim = unzipSync(kept.bytes)["vecanim.dat"];
  check(/^replaced-.*\.zip$/.test(kept.name) && keptAnim && Buffer.from(keptAnim).toString() === brokenAnim,
        `the kept copy ${kept.name} holds what the reset replaced`);
  await page.screenshot({ path: join(outDir, "data-page.png") });
}

async function sharedSet({ page }, base) {
  await page.goto(`${base}/index.html?data=/sets/shared.zip`);
  await gameStarted(page);
  check(await page.evaluate(() => window.Module.FS.cwd()) === SHARED, "?data= runs the game in a fresh folder");
  check(await text(page, `${SHARED}/vecparts.dat`) === sharedParts && await text(page, `${SHARED}/vecanim.dat`) === bundledAnim,
        "holding the set's vecparts.dat and the bundled files it lacks");
  check((await pageFile(page, `${PLAYER}/vecparts.dat`)) === null, "the player's own folder is not even read");

  await page.goto(`${base}/index.html?data=/sets/missing.zip`);
  await page.waitForFunction(() => document.getElementById("dataNote").className === "problem", { timeout: 60000 });
  const said = await note(page);
  await sleep(1000);
  const started = await page.evaluate(() => { try { window.Module.FS.stat("log.log"); return true; } catch (e) { return false; } });
  check(said.text.includes("could not be loaded: the server answered 404") && !started,
        `a set that is not there is said so, and the game does not start (${said.text})`);
}

const server = await serve(pageDir, files);
const browser = await launch();
const base = `http://127.0.0.1:${server.address().port}`;
try {
  await openAndReset(browser, base);
  await sharedSet(browser, base);
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
  server.close();
}
process.exit(hasFailed() ? 1 : 0);
