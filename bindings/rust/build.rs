//! Links the primary-mac C library, found in PRIMARY_MAC_LIB_DIR when it is
//! set, else where `pkg-config` says it is installed.
use std::env;
use std::process::{self, Command};

fn main() {
    println!("cargo:rerun-if-env-changed=PRIMARY_MAC_LIB_DIR");
    println!("cargo:rerun-if-env-changed=PKG_CONFIG_PATH");
    if let Some(dir) = env::var_os("PRIMARY_MAC_LIB_DIR") {
        println!("cargo:rustc-link-search=native={}", dir.to_string_lossy());
        println!("cargo:rustc-link-lib=dylib=primary-mac");
        return;
    }
    let output = Command::new("pkg-config")
        .args(["--libs", "primary-mac"])
        .output();
    match output {
        Ok(output) if output.status.success() => {
            for flag in String::from_utf8_lossy(&output.stdout).split_whitespace() {
                if let Some(dir) = flag.strip_prefix("-L") {
                    println!("cargo:rustc-link-search=native={dir}");
                } else if let Some(library) = flag.strip_prefix("-l") {
                    println!("cargo:rustc-link-lib={library}");
                }
            }
        }
        Ok(output) => not_found(&String::from_utf8_lossy(&output.stderr)),
        Err(error) => not_found(&format!("cannot run pkg-config: {error}")),
    }
}

fn not_found(detail: &str) -> ! {
    eprintln!(
        "the primary-mac C library was not found: install it with its pkg-config \
         file (libprimary-mac-dev on Debian and Ubuntu), or set PRIMARY_MAC_LIB_DIR \
         to the folder that holds it\n{}",
        detail.trim_end()
    );
    process::exit(1);
}
