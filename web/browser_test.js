#!/usr/bin/env node
// The browser build played in headless Chromium: the page serves from 127.0.0.1 with no console
// error, its first frames show the HUD over the city, a held key moves a ship, a shot is seen
// and heard, and Escape ends the game with the page saying so; the frame's cost is printed; what
// the player changed (a display toggle, a key bound by name in the page's settings) and the table
// of best runs are there after a reload; a pad plugged in flies a ship; the one-player page starts.
// Usage: node web/browser_test.js <site folder> <screenshot folder>
// Needs Debian's chromium and node-ws; exits 77 (skipped) without them.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { spawn } = require('child_process');

const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));
let WebSocket;
try {
    WebSocket = require('ws');
} catch (e) {
    try {
        WebSocket = require('/usr/share/nodejs/ws');
    } catch (e2) {
        WebSocket = null;
    }
}
const [site, shots] = process.argv.slice(2);
if (!chromium || !WebSocket) {
    console.log(`SKIP: the browser test needs Debian's chromium and node-ws (apt-get install chromium node-ws)`);
    process.exit(77);
}
if (!site || !fs.existsSync(path.join(site, 'trelvik.html'))) {
    console.log(`FAIL: no browser build in ${site} (./web.sh builds it)`);
    process.exit(1);
}
fs.mkdirSync(shots, { recursive: true });

let failures = 0;
function check(what, ok, detail) {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ` (${detail})` : ''}`);
    if (!ok)
        failures++;
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A static server, as any web server would serve the folder.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
function serve() {
    const server = http.createServer((request, response) => {
        const file = path.join(site, path.normalize(decodeURIComponent(request.url.split('?')[0])).replace(/^(\.\.[/\\])+/, ''));
        fs.readFile(file, (error, body) => {
            if (error) {
                response.writeHead(404);
                response.end();
                return;
            }
            response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
            response.end(body);
        });
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function startChromium(profile) {
    const browser = spawn(chromium, [
        '--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
        '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
        '--disable-quic', '--autoplay-policy=user-gesture-required', '--window-size=800,600',
        `--user-data-dir=${profile}`, '--remote-debugging-port=0', 'about:blank',
    ], { stdio: ['ignore', 'ignore', 'pipe'] });
    return new Promise((resolve, reject) => {
        let text = '';
        browser.stderr.on('data', (chunk) => {
            text += chunk;
            const found = /DevTools listening on (ws:\S+)/.exec(text);
            if (found)
                resolve({ browser, url: found[1] });
        });
        browser.on('exit', () => reject(new Error(`chromium ended before it listened:\n${text}`)));
    });
}

// The DevTools protocol over one socket, commands to the page's session.
function connect(url) {
    const socket = new WebSocket(url, { perMessageDeflate: false, maxPayload: 256 * 1024 * 1024 });
    let next = 1;
    const pending = new Map(), listeners = [];
    socket.on('message', (data) => {
        const message = JSON.parse(data);
        if (message.id && pending.has(message.id)) {
            const { resolve, reject } = pending.get(message.id);
            pending.delete(message.id);
            if (message.error)
                reject(new Error(JSON.stringify(message.error)));
            else
                resolve(message.result);
        } else if (message.method) {
            listeners.forEach((listener) => listener(message));
        }
    });
    const protocol = {
        session: undefined,
        send(method, params = {}, session = protocol.session) {
            const id = next++;
            socket.send(JSON.stringify({ id, method, params, sessionId: session }));
            return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
        },
        on(listener) { listeners.push(listener); },
        close() { socket.close(); },
    };
    return new Promise((resolve) => socket.on('open', () => resolve(protocol)));
}

// Screenshots as raw RGB, read back by the page itself from a PNG the browser makes.
async function shot(cdp, name) {
    const { data } = await cdp.send('Page.captureScreenshot', { format: 'png', clip: { x: 0, y: 0, width: 800, height: 600, scale: 1 } });
    fs.writeFileSync(path.join(shots, `${name}.png`), Buffer.from(data, 'base64'));
    const { result } = await cdp.send('Runtime.evaluate', {
        awaitPromise: true, returnByValue: true,
        expression: `(async () => {
            const image = new Image();
            image.src = 'data:image/png;base64,${data}';
            await image.decode();
            const canvas = new OffscreenCanvas(800, 600), context = canvas.getContext('2d');
            context.drawImage(image, 0, 0);
            return Array.from(context.getImageData(0, 0, 800, 600).data);
        })()`,
    });
    return result.value;
}
function count(pixels, [x0, y0, w, h], test) {
    let n = 0;
    for (let y = y0; y < y0 + h; y++)
        for (let x = x0; x < x0 + w; x++) {
            const i = (y * 800 + x) * 4;
            if (test(pixels[i], pixels[i + 1], pixels[i + 2]))
                n++;
        }
    return n;
}
function bbox(pixels, region, test) {
    let box = null;
    const [x0, y0, w, h] = region;
    for (let y = y0; y < y0 + h; y++)
        for (let x = x0; x < x0 + w; x++) {
            const i = (y * 800 + x) * 4;
            if (!test(pixels[i], pixels[i + 1], pixels[i + 2]))
                continue;
            box = box || { x0: x, y0: y, x1: x, y1: y };
            box.x0 = Math.min(box.x0, x); box.x1 = Math.max(box.x1, x);
            box.y0 = Math.min(box.y0, y); box.y1 = Math.max(box.y1, y);
        }
    return box;
}
// The HUD's green (0.5, 1, 0.5) added over the grey sky; the second ship's orange hull; the
// the bullets' glowing cyan; the buildings' dark facades.
const hudGreen = (r, g, b) => g >= 220 && g - r >= 40 && g - b >= 40;
const orange = (r, g, b) => r >= 170 && r - g >= 50 && g - b >= 30;
const bullet = (r, g, b) => g >= 190 && b >= 190 && g - r >= 50;
const facade = (r, g, b) => Math.max(r, g, b) < 60;
// The HUD's lines over the lighter sky of a level without a city: near white, green the most.
const hudText = (r, g, b) => g >= 200 && g >= r && g >= b;

async function key(cdp, type, code, keyName, keyCode) {
    await cdp.send('Input.dispatchKeyEvent', { type, code, key: keyName, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode });
}
async function canvasKey(cdp, code, keyName, keyCode) {
    await cdp.send('Runtime.evaluate', { expression: 'document.getElementById("canvas").focus()' });
    await key(cdp, 'keyDown', code, keyName, keyCode);
    await key(cdp, 'keyUp', code, keyName, keyCode);
}
// A key or stick held for a while: at least 300 ms and at least 12 of the game's passes, so a
// page slowed to a few frames a second by a busy machine still moves a ship as far.
async function hold(cdp) {
    await cdp.send('Runtime.evaluate', {
        awaitPromise: true,
        expression: `new Promise((resolve) => {
            const run = Browser.mainLoop.runIter, t0 = performance.now();
            let passes = 0;
            Browser.mainLoop.runIter = function (...args) {
                run.apply(this, args);
                if (++passes >= 12 && performance.now() - t0 >= 300) {
                    Browser.mainLoop.runIter = run;
                    resolve();
                }
            };
        })` });
}
// Where "BEST:" and the best score stand, under the score.
const bestLine = [600, 50, 200, 24];

async function main() {
    const server = await serve();
    const profile = fs.mkdtempSync('/tmp/trelvik-browser-');
    const { browser, url } = await startChromium(profile);
    const cdp = await connect(url);
    const problems = [], printed = [];
    try {
        const { targetInfos } = await cdp.send('Target.getTargets');
        const page = targetInfos.find((t) => t.type === 'page');
        cdp.session = (await cdp.send('Target.attachToTarget', { targetId: page.targetId, flatten: true })).sessionId;
        cdp.on((message) => {
            if (message.method === 'Runtime.consoleAPICalled') {
                const text = message.params.args.map((a) => a.value ?? a.description ?? '').join(' ');
                printed.push(text);
                if (process.env.TRELVIK_BROWSER_VERBOSE) console.log(`  page: ${text}`);
                if (message.params.type === 'error')
                    problems.push(`console error: ${text}`);
            } else if (message.method === 'Runtime.exceptionThrown') {
                problems.push(`exception: ${message.params.exceptionDetails.exception?.description ?? message.params.exceptionDetails.text}`);
            } else if (message.method === 'Log.entryAdded' && message.params.entry.level === 'error') {
                problems.push(`log error: ${message.params.entry.text}`);
            }
        });
        await cdp.send('Emulation.setDeviceMetricsOverride', { width: 800, height: 600, deviceScaleFactor: 1, mobile: false });
        await cdp.send('Runtime.enable');
        await cdp.send('Log.enable');
        await cdp.send('Page.enable');
        // Every sound the page starts is counted: the mixer plays them as Web Audio sources.
        await cdp.send('Page.addScriptToEvaluateOnNewDocument', {
            source: `window.soundsStarted = 0;
                const start = AudioBufferSourceNode.prototype.start;
                AudioBufferSourceNode.prototype.start = function (...args) { window.soundsStarted++; return start.apply(this, args); };`,
        });
        const evaluate = async (expression) => {
            const { result, exceptionDetails } = await cdp.send('Runtime.evaluate', { awaitPromise: true, returnByValue: true, expression });
            if (exceptionDetails)
                throw new Error(`the page could not evaluate ${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
            return result.value;
        };
        // Starts a game, by what start does (opening a page, reloading it, a button of the page),
        // and waits up to a minute for its banner; gives the milliseconds taken. Headless Chromium
        // may hold back the page's writes to its IndexedDB while nothing comes from outside, so the
        // page is asked something on every look.
        const startPage = async (banner, start) => {
            const began = Date.now();
            printed.length = 0;
            await start();
            while (!printed.includes(banner) && Date.now() - began < 60000 && problems.length === 0) {
                await sleep(100);
                await cdp.send('Runtime.evaluate', { expression: '0' });
            }
            return Date.now() - began;
        };
        const open = (file) => () => cdp.send('Page.navigate', { url: `http://127.0.0.1:${server.address().port}/${file}` });
        const banner = 'Trelvik  Build Jun 24 2004 18:54:09';
        const loadTime = await startPage(banner, open('trelvik.html'));
        check('the page starts the game (its banner is printed)', printed.includes(banner), `${loadTime} ms${problems.length ? '; ' + problems[0] : ''}`);
        await sleep(1500);
        const first = await shot(cdp, 'browser-first');
        check('the HUD shows its green lines at the top', count(first, [0, 0, 800, 60], hudGreen) >= 300,
              `${count(first, [0, 0, 800, 60], hudGreen)} pixels`);
        check('the city stands at the bottom', count(first, [0, 450, 800, 150], facade) >= 3000,
              `${count(first, [0, 450, 800, 150], facade)} facade pixels`);
        check('the sky above it is grey', count(first, [0, 100, 800, 200], (r, g, b) => Math.abs(r - g) < 12 && Math.abs(g - b) < 16 && g > 70) >= 100000);

        // The first key press lets the page start sound; the second ship climbs while R is held.
        // Q makes the ships invincible, so no enemy ends the flight while the test looks on.
        await canvasKey(cdp, 'KeyQ', 'q', 81);
        const before = bbox(await shot(cdp, 'browser-before-climb'), [0, 60, 800, 400], orange);
        await key(cdp, 'keyDown', 'KeyR', 'r', 82);
        await hold(cdp);
        await key(cdp, 'keyUp', 'KeyR', 'r', 82);
        const after = bbox(await shot(cdp, 'browser-after-climb'), [0, 60, 800, 400], orange);
        check('the second ship is on screen', before !== null, JSON.stringify(before));
        check('holding R moves the second ship up', before && after && after.y1 < before.y1 - 10,
              `lowest orange row ${before && before.y1} -> ${after && after.y1}`);
        const { result: audio } = await cdp.send('Runtime.evaluate', {
            returnByValue: true, expression: 'audioContexts.map((c) => c.state).join(",")' });
        check('sound is running after the first key press', /running/.test(audio.value), audio.value);

        // A held P fires the first ship's bullets: seen above the city and heard.
        const sky = [0, 60, 800, 300];
        const quiet = count(await shot(cdp, 'browser-before-fire'), sky, bullet);
        const heardBefore = (await cdp.send('Runtime.evaluate', { returnByValue: true, expression: 'soundsStarted' })).result.value;
        await key(cdp, 'keyDown', 'KeyP', 'p', 80);
        let firing = 0;
        for (let look = 0; look < 4 && firing < quiet + 30; look++) {
            await sleep(300);
            firing = Math.max(firing, count(await shot(cdp, 'browser-firing'), sky, bullet));
        }
        await key(cdp, 'keyUp', 'KeyP', 'p', 80);
        const heardAfter = (await cdp.send('Runtime.evaluate', { returnByValue: true, expression: 'soundsStarted' })).result.value;
        check('a held P shows bullets over the city', firing >= quiet + 30, `${quiet} -> ${firing} bullet pixels`);
        check('the shots are heard', heardAfter > heardBefore, `${heardBefore} -> ${heardAfter} sounds started`);

        // The frame rate while the first ship fires: the game's own count (F2 shows it in the lower
        // left corner of the picture kept as browser-fps.png), the page's frames counted here, the
        // time each pass of the game's loop takes inside the page, and where the page's main thread
        // spends its time (a profile of the same seconds).
        const fpsCorner = [8, 562, 64, 24]; // "FPS:"
        const noCounter = count(first, fpsCorner, hudText);
        await key(cdp, 'keyDown', 'F2', 'F2', 113);
        await key(cdp, 'keyUp', 'F2', 'F2', 113);
        await key(cdp, 'keyDown', 'KeyP', 'p', 80);
        await sleep(2500);
        await shot(cdp, 'browser-fps');
        await cdp.send('Profiler.enable');
        await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
        await cdp.send('Profiler.start');
        const { result: frames } = await cdp.send('Runtime.evaluate', {
            awaitPromise: true, returnByValue: true,
            expression: `new Promise((resolve) => {
                const passes = [], run = Browser.mainLoop.runIter;
                Browser.mainLoop.runIter = function (...args) {
                    const t = performance.now();
                    run.apply(this, args);
                    passes.push(performance.now() - t);
                };
                let n = 0; const t0 = performance.now();
                const step = () => {
                    n++;
                    if (performance.now() - t0 < 4000) { requestAnimationFrame(step); return; }
                    Browser.mainLoop.runIter = run;
                    passes.sort((a, b) => a - b);
                    resolve({ fps: n * 1000 / (performance.now() - t0), passes: passes.length,
                              median: passes[passes.length >> 1], mean: passes.reduce((a, b) => a + b, 0) / passes.length });
                };
                requestAnimationFrame(step); })`,
        });
        const { profile } = await cdp.send('Profiler.stop');
        await key(cdp, 'keyUp', 'KeyP', 'p', 80);
        const f = frames.value;
        console.log(`frames per second in the page: ${f.fps.toFixed(1)}; the game's pass: median ${f.median.toFixed(2)} ms, ` +
                    `mean ${f.mean.toFixed(2)} ms over ${f.passes} passes`);
        // The profile's samples by whose code ran: the game (WebAssembly), Emscripten's JavaScript
        // (its GL emulation and SDL), WebGL's calls, and the browser's own work (drawing, collecting).
        const parts = new Map(), byId = new Map(profile.nodes.map((node) => [node.id, node]));
        profile.samples.forEach((id, i) => {
            const frame = byId.get(id).callFrame, ms = (profile.timeDeltas[i] || 0) / 1000;
            const part = frame.url.endsWith('.wasm') || /^\$|wasm-function/.test(frame.functionName) ? 'game (WebAssembly)'
                       : frame.url.endsWith('.js') ? 'GL emulation and SDL (JavaScript)'
                       : frame.functionName === '(idle)' ? 'idle'
                       : frame.url === '' && /^[a-z]/.test(frame.functionName) ? 'WebGL and browser calls'
                       : 'browser (drawing, collecting, other)';
            parts.set(part, (parts.get(part) || 0) + ms);
        });
        const total = [...parts.values()].reduce((a, b) => a + b, 0);
        console.log(`the page's main thread: ${[...parts].sort((a, b) => b[1] - a[1])
            .map(([part, ms]) => `${part} ${(100 * ms / total).toFixed(0)}%`).join(', ')}`);

        await key(cdp, 'keyDown', 'Escape', 'Escape', 27);
        await key(cdp, 'keyUp', 'Escape', 'Escape', 27);
        await sleep(1000);
        const { result: ended } = await cdp.send('Runtime.evaluate', {
            returnByValue: true,
            expression: 'document.title + "|" + getComputedStyle(document.getElementById("ended")).display' });
        check('Escape ends the game with status 0 and the page says so', ended.value === 'Trelvik: ended (0)|block', ended.value);
        await shot(cdp, 'browser-ended');

        // The page's settings: a key bound by name, saved; the page starts again with it. The next
        // start plays a level whose boss falls to the first shot and that ends the campaign, so the
        // run ends and is saved at once.
        const home = '/home/web_user', kept = `${home}/.config/trelvik/config.ini`;
        const table = `${home}/.local/share/trelvik/scores-trelvik.txt`;
        // Where the ships fly in that level: the boss to their right has orange parts of its own.
        const ships = [250, 60, 300, 400];
        const lair = 'LEVEL: 1 LAIR\nCAMERASTOP: 0\nBOSS1 90 0 -100\nBOSSENERGY 1 0 0\n';
        const { identifier: lairScript } = await cdp.send('Page.addScriptToEvaluateOnNewDocument', {
            source: `Object.defineProperty(window, 'Module', { configurable: true,
                get() { return this.trelvikModule; },
                set(module) {
                    module.preRun.push(() => addOnPreMain(() => {
                        FS.writeFile('/data/level1.map', ${JSON.stringify(lair)});
                        for (let n = 2; FS.analyzePath('/data/level' + n + '.map').exists; n++)
                            FS.unlink('/data/level' + n + '.map');
                    }));
                    this.trelvikModule = module;
                } });`,
        });
        await startPage(banner, () => evaluate(`document.getElementById('settings-open').click();
            document.getElementById('settings-text').value += '\\nplayer2_up=page_up\\n';
            document.getElementById('settings-save').click()`));
        check('"Save and restart" starts the game again', printed.includes(banner));
        await sleep(1500);
        const keptText = await evaluate(`FS.readFile('${kept}', { encoding: 'utf8' })`);
        check('config.ini in the browser\'s storage holds the key set in the page and the F2 counter switched on',
              /(^|\s)player2_up=page_up\s/.test(keptText) && /(^|\s)show_fps=true\s/.test(keptText), keptText.split('\n').slice(-4).join(' | '));
        const restarted = await shot(cdp, 'browser-kept-first');
        check('the F2 counter shows from the start', count(restarted, fpsCorner, hudText) >= noCounter + 40,
              `${noCounter} -> ${count(restarted, fpsCorner, hudText)} text pixels in the lower left corner`);
        await canvasKey(cdp, 'KeyQ', 'q', 81);
        const beforePageUp = bbox(await shot(cdp, 'browser-before-page-up'), ships, orange);
        await key(cdp, 'keyDown', 'PageUp', 'PageUp', 33);
        await hold(cdp);
        await key(cdp, 'keyUp', 'PageUp', 'PageUp', 33);
        const afterPageUp = bbox(await shot(cdp, 'browser-after-page-up'), ships, orange);
        check('Page Up, bound by its name to the second ship\'s up, moves it up', beforePageUp && afterPageUp && afterPageUp.y1 < beforePageUp.y1 - 10,
              `lowest orange row ${beforePageUp && beforePageUp.y1} -> ${afterPageUp && afterPageUp.y1}`);

        // A pad plugged in: the browser's Gamepad API answers with a stand-in whose stick is then
        // pushed down; a lone pad flies the second ship.
        await evaluate(`window.standInPad = { id: 'Trelvik stand-in pad', index: 0, connected: true, mapping: 'standard',
                timestamp: performance.now(), axes: [0, 0, 0, 0],
                buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
            navigator.getGamepads = () => [window.standInPad, null, null, null];
            window.dispatchEvent(new Event('gamepadconnected'))`);
        const padLine = 'Gamepad 1: Trelvik stand-in pad (player two)';
        for (const start = Date.now(); !printed.includes(padLine) && Date.now() - start < 5000;)
            await sleep(100);
        check('the game finds the pad plugged in', printed.includes(padLine));
        const beforePad = bbox(await shot(cdp, 'browser-before-pad'), ships, orange);
        await evaluate(`standInPad.axes[1] = 1; standInPad.timestamp = performance.now()`);
        await hold(cdp);
        await evaluate(`standInPad.axes[1] = 0; standInPad.timestamp = performance.now()`);
        const afterPad = bbox(await shot(cdp, 'browser-after-pad'), ships, orange);
        check('the pad\'s stick pushed down moves the second ship down', beforePad && afterPad && afterPad.y1 > beforePad.y1 + 10,
              `lowest orange row ${beforePad && beforePad.y1} -> ${afterPad && afterPad.y1}`);

        // The boss falls to the first ship's shots; the run is saved and copied to the storage.
        const noBest = count(first, bestLine, hudGreen);
        await key(cdp, 'keyDown', 'KeyP', 'p', 80);
        let saved = false;
        for (const start = Date.now(); !saved && Date.now() - start < 20000;) {
            await sleep(250);
            saved = await evaluate(`FS.analyzePath('${table}').exists && copying === 0`);
        }
        await key(cdp, 'keyUp', 'KeyP', 'p', 80);
        check('the run is saved in the table of best runs', saved);
        await cdp.send('Page.removeScriptToEvaluateOnNewDocument', { identifier: lairScript });
        await startPage(banner, () => cdp.send('Page.reload'));
        await sleep(1500);
        const reloaded = await shot(cdp, 'browser-best-after-reload');
        const savedTable = await evaluate(`FS.analyzePath('${table}').exists ? FS.readFile('${table}', { encoding: 'utf8' }) : ''`);
        check('after a reload the table is there and the HUD shows the best score under the score',
              /^trelvik-scores /.test(savedTable) && count(reloaded, bestLine, hudGreen) >= noBest + 40,
              `${noBest} -> ${count(reloaded, bestLine, hudGreen)} green pixels on the BEST line`);

        // Back to the packed settings: the key set in the page is gone after the restart.
        await startPage(banner, () => evaluate(`document.getElementById('settings-packed').click()`));
        const packed = await evaluate(`FS.readFile('${kept}', { encoding: 'utf8' }) === FS.readFile('/config.ini', { encoding: 'utf8' }) &&
            FS.readFile('${kept}', { encoding: 'utf8' }) === packedSettings && !/player2_up|show_fps/.test(packedSettings)`);
        check('"Back to the packed settings" restarts with the packed config.ini', packed === true);

        // The one-player page starts as well, with its own banner and the HUD.
        const soloBanner = 'Trelvik  Build Jun 24 2004 15:49:26';
        const soloTime = await startPage(soloBanner, open('trelvik-solo.html'));
        check('the one-player page starts its game', printed.includes(soloBanner), `${soloTime} ms`);
        await sleep(1500);
        const solo = await shot(cdp, 'browser-solo-first');
        check('the one-player page shows the HUD over the city',
              count(solo, [0, 0, 800, 60], hudGreen) >= 300 && count(solo, [0, 450, 800, 150], facade) >= 3000);
        check('no console error, exception or failed load on either page', problems.length === 0,
              problems.slice(0, 5).join(' | '));
    } finally {
        cdp.close();
        const ended = new Promise((resolve) => browser.on('exit', resolve));
        browser.kill();
        await Promise.race([ended, sleep(5000)]);
        server.close();
        // Chromium's helpers may still be writing to the profile for a moment after it ended.
        for (let attempt = 0; attempt < 10 && fs.existsSync(profile); attempt++) {
            try {
                fs.rmSync(profile, { recursive: true, force: true });
            } catch (error) {
                await sleep(500);
            }
        }
    }
    console.log(failures === 0 ? 'PASS' : `${failures} check(s) failed`);
    process.exit(failures === 0 ? 0 : 1);
}

main().catch((error) => {
    console.log(`FAIL: ${error.stack}`);
    process.exit(1);
});
