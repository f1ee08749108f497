#!/usr/bin/env bash
# Lighthouse's scores of the page, with its mobile and its desktop preset, in Debian's Chromium:
# builds the page (preset web), serves it on 127.0.0.1 and prints the four category scores of
# each preset (accessibility, best practices and SEO are aimed at 95 or more).
#
#   bash bench/web/lighthouse.sh        (Lighthouse itself comes from npm, at the version below)
set -euo pipefail
cd "$(dirname "$0")/../.."

version=12.8.2 # the last one that runs on Debian 12's Node 18 and 20
bash scripts/deps.sh web-test
cmake --preset web >/dev/null
cmake --build --preset web -j 2 >/dev/null

out=$(mktemp -d)
port=$(node -e 'const s=require("net").createServer().listen(0,"127.0.0.1",()=>{console.log(s.address().port);s.close()})')
node tests/web/serve.mjs build/web "$port" >/dev/null &
server=$!
trap 'kill $server; rm -rf "$out"' EXIT
sleep 1

flags="--headless=new --use-angle=swiftshader --enable-unsafe-swiftshader --disable-background-networking"
[ "$(id -u)" -ne 0 ] || flags+=" --no-sandbox"
for preset in mobile desktop; do
    extra=()
    [ "$preset" = desktop ] && extra=(--preset=desktop)
    CHROME_PATH=${PARTICLES_CHROMIUM:-/usr/bin/chromium} npm exec --yes --package="lighthouse@$version" -- \
        lighthouse "http://127.0.0.1:$port/" "${extra[@]}" --quiet --output=json \
        --output-path="$out/$preset.json" --chrome-flags="$flags" \
        --only-categories=performance,accessibility,best-practices,seo
    node -e '
        const r = require(process.argv[1]);
        const scores = Object.values(r.categories).map((c) => `${c.title} ${Math.round(c.score * 100)}`);
        console.log(`${process.argv[2]} (Lighthouse ${r.lighthouseVersion}): ${scores.join(", ")}`);
        for (const c of Object.values(r.categories)) {
            for (const ref of c.auditRefs) {
                const a = r.audits[ref.id];
                if (ref.weight > 0 && a.score !== null && a.score < 1 && c.id !== "performance") {
                    console.log(`  ${c.id}: ${a.id} (${a.score}): ${a.title}`);
                }
            }
        }' "$out/$preset.json" "$preset"
done
