# The Node.js package (bindings/node), sourced by bindings_test.sh: the
# release's npm tarball, installed offline into a fresh folder, which builds
# the addon with the C compiler and pkg-config against the running node's
# headers; the package's tests and the example run there, as its users'
# own code would.
require node npm cc
"$tests/../scripts/pack-binding.sh" node "$work/dist" >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh node"; exit 1; }
tarball=("$work"/dist/primary-mac-*.tgz)
mkdir "$work/app"
cp -r "$package/test" "$package/example.js" "$work/app/"
(cd "$work/app" && npm_config_cache=$work/npm npm install --offline --no-audit --no-fund "${tarball[0]}") \
    >"$work/log" 2>&1 || { cat "$work/log"; echo "FAIL: npm install ${tarball[0]##*/}"; exit 1; }
app=$(printf %q "$work/app")
version=$(node -p 'require(process.argv[1]).version' "$work/app/node_modules/primary-mac/package.json")
example=js:example.js
run_example="node $app/example.js"
run_tests="cd $app && node --test"
