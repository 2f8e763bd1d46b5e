# The Python package (bindings/python), sourced by bindings_test.sh: the
# release's wheel, built with Debian's python3 and its build tools, installed
# from the file alone into a fresh venv; its tests run with unittest, its
# example as a script, each with the venv's python.
/usr/bin/python3 -c 'import build, wheel' 2>/dev/null ||
    missing "Debian's python3 with python3-build and python3-wheel is needed"
"$tests/../scripts/pack-binding.sh" python "$work/dist" >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh python"; exit 1; }
wheel=("$work"/dist/primary_mac-*-py3-none-any.whl)
{ /usr/bin/python3 -m venv "$work/venv" &&
    "$work/venv/bin/pip" install --no-index --disable-pip-version-check "${wheel[0]}"; } >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: installing ${wheel[0]##*/} into a fresh venv"; exit 1; }
python=$(printf %q "$work/venv/bin/python")
version=$("$work/venv/bin/python" -c 'import importlib.metadata as m; print(m.version("primary-mac"))')
example=python:example.py
# -B: no bytecode written into the source tree.
run_example="$python -B $(printf %q "$package/example.py")"
run_tests="$python -B -m unittest discover -s $(printf %q "$package/tests")"
