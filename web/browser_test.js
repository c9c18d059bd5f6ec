#!/usr/bin/env node
// The browser build played in headless Chromium: the page serves from 127.0.0.1 with no console
// error, its first frames show the HUD over the city, a held key moves a ship, a shot is seen
// and heard, and Escape ends the game with the page saying so; the one-player page starts too.
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

async function key(cdp, type, code, keyName, keyCode) {
    await cdp.send('Input.dispatchKeyEvent', { type, code, key: keyName, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode });
}

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
        // Opens a page and waits up to a minute for its game's banner; gives the milliseconds taken.
        const startPage = async (file, banner) => {
            const start = Date.now();
            await cdp.send('Page.navigate', { url: `http://127.0.0.1:${server.address().port}/${file}` });
            while (!printed.includes(banner) && Date.now() - start < 60000 && problems.length === 0)
                await sleep(100);
            return Date.now() - start;
        };
        const banner = 'Trelvik  Build Jun 24 2004 18:54:09';
        const loadTime = await startPage('trelvik.html', banner);
        check('the page starts the game (its banner is printed)', printed.includes(banner), `${loadTime} ms`);
        await sleep(1500);
        const first = await shot(cdp, 'browser-first');
        check('the HUD shows its green lines at the top', count(first, [0, 0, 800, 60], hudGreen) >= 300,
              `${count(first, [0, 0, 800, 60], hudGreen)} pixels`);
        check('the city stands at the bottom', count(first, [0, 450, 800, 150], facade) >= 3000,
              `${count(first, [0, 450, 800, 150], facade)} facade pixels`);
        check('the sky above it is grey', count(first, [0, 100, 800, 200], (r, g, b) => Math.abs(r - g) < 12 && Math.abs(g - b) < 16 && g > 70) >= 100000);

        // The first key press lets the page start sound; the second ship climbs while R is held.
        await cdp.send('Runtime.evaluate', { expression: 'document.getElementById("canvas").focus()' });
        // Q makes the ships invincible, so no enemy ends the flight while the test looks on.
        await key(cdp, 'keyDown', 'KeyQ', 'q', 81);
        await key(cdp, 'keyUp', 'KeyQ', 'q', 81);
        const before = bbox(await shot(cdp, 'browser-before-climb'), [0, 60, 800, 400], orange);
        await key(cdp, 'keyDown', 'KeyR', 'r', 82);
        await sleep(300);
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

        // The frame rate: the game's own count (F2 shows it in the lower left corner of the picture
        // kept as browser-fps.png) and the page's frames counted here.
        await key(cdp, 'keyDown', 'F2', 'F2', 113);
        await key(cdp, 'keyUp', 'F2', 'F2', 113);
        await sleep(2500);
        await shot(cdp, 'browser-fps');
        const { result: fps } = await cdp.send('Runtime.evaluate', {
            awaitPromise: true, returnByValue: true,
            expression: `new Promise((resolve) => { let n = 0; const t0 = performance.now();
                const step = () => { n++; if (performance.now() - t0 < 3000) requestAnimationFrame(step); else resolve(n * 1000 / (performance.now() - t0)); };
                requestAnimationFrame(step); })`,
        });
        console.log(`frames per second in the page: ${fps.value.toFixed(1)}`);

        await key(cdp, 'keyDown', 'Escape', 'Escape', 27);
        await key(cdp, 'keyUp', 'Escape', 'Escape', 27);
        await sleep(1000);
        const { result: ended } = await cdp.send('Runtime.evaluate', {
            returnByValue: true,
            expression: 'document.title + "|" + getComputedStyle(document.getElementById("ended")).display' });
        check('Escape ends the game with status 0 and the page says so', ended.value === 'Trelvik: ended (0)|block', ended.value);
        await shot(cdp, 'browser-ended');

        // The one-player page starts as well, with its own banner and the HUD.
        const soloBanner = 'Trelvik  Build Jun 24 2004 15:49:26';
        const soloTime = await startPage('trelvik-solo.html', soloBanner);
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
