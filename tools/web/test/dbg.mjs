import { serve, launch, gameStarted, sleep } from "/work/wt-web/tools/web/test/page.mjs";
const server = await serve("/work/wt-web/build-web/page", {});
const { page, close } = await launch();
const q = process.argv[2] || "";
await page.goto(`http://127.0.0.1:${server.address().port}/index.html${q}`);
if (!q) await gameStarted(page); else await sleep(4000);
await page.evaluate(() => { for (const b of document.querySelectorAll("button")) b.disabled = false; document.addEventListener("mousedown", (e) => console.log("down on " + e.target.id + " at " + e.clientX + "," + e.clientY), true);});
for (let i = 0; i < 3; i++) {
  const [chooser] = await Promise.all([page.waitForFileChooser({timeout: 3000}), page.click("#open")]).catch(e => [null]);
  console.log("chooser", i, !!chooser);
  if (chooser) await chooser.accept(["/etc/hostname"]);
  await sleep(500);
  await page.mouse.move(10, 10);
  await page.click("#saveLog");
}
await close(); server.close();
