// A static server for the page on 127.0.0.1: `node serve.mjs DIR [PORT]` serves DIR and prints
// its address (scripts/run.sh --web); the tests and the benchmark start it with serve().
//
// `overlays` maps a path prefix to another folder whose files stand in front of DIR's under that
// prefix: /missing-sprite/particles.data comes from the overlay, /missing-sprite/index.html from
// DIR. `missing` lists paths answered with 404 whatever is there. Only files below the folders
// are served.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

function inside(root, relative) {
  const file = path.resolve(root, '.' + path.posix.normalize('/' + relative));
  return file.startsWith(path.resolve(root) + path.sep) ? file : null;
}

function locate(root, overlays, urlPath) {
  for (const [prefix, folder] of Object.entries(overlays)) {
    if (urlPath.startsWith(prefix)) {
      const rest = urlPath.slice(prefix.length);
      const over = inside(folder, rest);
      if (over && fs.existsSync(over) && fs.statSync(over).isFile()) return over;
      return inside(root, rest);
    }
  }
  return inside(root, urlPath);
}

export function serve(root, { port = 0, overlays = {}, missing = [] } = {}) {
  const server = http.createServer((request, response) => {
    let urlPath = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    if (urlPath.endsWith('/')) urlPath += 'index.html';
    const file = missing.includes(urlPath) ? null : locate(root, overlays, urlPath);
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': Types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const root = process.argv[2];
  const port = Number(process.argv[3] || 8017);
  if (!root || !fs.existsSync(path.join(root, 'index.html'))) {
    console.error('serve: no index.html in ' + root);
    process.exit(2);
  }
  const { url } = await serve(root, { port });
  console.log('The page is at ' + url + ' (Ctrl+C stops the server)');
}
