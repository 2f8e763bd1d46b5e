# shellcheck shell=bash
# The Go module, which ships in the source tarball with no version of its own:
# tested by go test in a copy (with -mod=mod, go may rewrite go.mod), and its
# example built as a user's module builds it, requiring the module at the
# project's version, which its path's major version must match, and replacing
# it with the copy.
# shellcheck disable=SC2154 # work, package: bindings_test.sh's

# shellcheck disable=SC2034 # for bindings_test.sh
example=go:example/main.go
# Go before 1.21, Debian 12's among them, splits pkg-config's --libs at every
# space, escaped or not (golang/go#35262): it finds the staged library
# through a link whose path holds none, as it would find one in /usr.
library_link() { cat "$work/go-library-link"; }
clean_up() { rm -f "$(library_link)"; }
# go, offline, with its caches in the work directory.
go_offline() {
    PKG_CONFIG_PATH=${PKG_CONFIG_PATH/#"$work/staged"/"$(library_link)"} GOFLAGS=-mod=mod \
        GOPROXY=off GOCACHE="$work/go-cache" GOPATH="$work/go-path" go "$@"
}
run_example() { "$work/example"; }
run_tests() (cd "$work/module" && go_offline test -count=1 -v .)

prepare() {
    require go
    # shellcheck disable=SC2034 # for bindings_test.sh
    version=
    mktemp -u /tmp/primary-mac-go.XXXXXX >"$work/go-library-link"
    ln -s "$work/staged" "$(library_link)"
    cp -R "$package" "$work/module"
    mkdir "$work/app" && cp "$package/example/main.go" "$work/app/" &&
        (cd "$work/app" && module=$(cd "$work/module" && go_offline list -m) &&
            go_offline mod init example/app &&
            go_offline mod edit -require="$module@v$PRIMARY_MAC_EXPECTED_VERSION" \
                -replace="$module=$work/module" &&
            go_offline build -o "$work/example") >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: the example does not build with the module"; exit 1; }
}
