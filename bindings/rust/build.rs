//! Builds the primary-mac C library from its sources, which the crate carries
//! in library/ (the project's own tree in a checkout), with the target's C++
//! compiler and archiver, and links it in statically: nothing to install.
//! With the `system` feature it links the library installed on the system
//! instead: from the folder that PRIMARY_MAC_LIB_DIR names, else where
//! `pkg-config` says it is.
//!
//! The compiler, its flags and the archiver are found as the `cc` crate finds
//! them, so that a cross build needs no setting of its own: each of CXX,
//! CXXFLAGS and AR is read as VAR_<target>, VAR_<target with underscores>,
//! TARGET_VAR (HOST_VAR when the target is the host) or VAR, the first set.
use std::env;
use std::ffi::OsString;
use std::path::{Path, PathBuf};
use std::process::{self, Command};

/// The program's own files, which the library leaves out of its folders: its
/// entry point, its standard output and its process settings.
const PROGRAM_SOURCES: &[&str] = &["main.cpp", "output.cpp", "process.cpp"];

fn main() {
    println!("cargo:rerun-if-changed=build.rs");
    if env::var_os("CARGO_FEATURE_SYSTEM").is_some() {
        link_system_library();
    } else {
        build_library();
    }
}

/// Compiles the library's sources into libprimary-mac.a in OUT_DIR and links it.
fn build_library() {
    let target = var("TARGET");
    let os = var("CARGO_CFG_TARGET_OS");
    let platform = match (os.as_str(), var("CARGO_CFG_TARGET_ENV").as_str()) {
        ("linux", _) => "linux",
        ("windows", "gnu") => "win",
        _ => fail(&format!(
            "no bundled build of the primary-mac library for {target}: enable the crate's \
             `system` feature and set PRIMARY_MAC_LIB_DIR to a folder that holds the library \
             (for Windows, a release's ZIP has primary-mac.lib for MSVC)"
        )),
    };
    let root = sources_root();
    let out_dir = PathBuf::from(var("OUT_DIR"));
    let compiler = tool("CXX", &target, "g++", "c++");
    let mut flags: Vec<OsString> = [
        "-std=c++17",
        "-fno-exceptions",
        "-fno-rtti",
        "-fvisibility=hidden",
        "-ffunction-sections",
        "-fdata-sections",
    ]
    .iter()
    .map(OsString::from)
    .collect();
    flags.push(format!("-O{}", var("OPT_LEVEL")).into());
    if var("DEBUG") == "true" {
        flags.push("-g".into());
    }
    if os == "windows" {
        // The record layout of the platform's own compiler, as the CMake
        // build has it: 64-bit time_t in IP_ADAPTER_INFO on 32-bit x86 too.
        flags.push("-D__MINGW_USE_VC2005_COMPAT".into());
    } else {
        flags.push("-fPIC".into());
    }
    flags.push(format!("-DPRIMARY_MAC_VERSION=\"{}\"", var("CARGO_PKG_VERSION")).into());
    for include in ["include", "src"] {
        let mut flag = OsString::from("-I");
        flag.push(root.join(include));
        flags.push(flag);
    }
    // The caller's flags last, so that they win.
    if let Some(extra) = tool_var("CXXFLAGS", &target) {
        flags.extend(
            extra
                .to_string_lossy()
                .split_whitespace()
                .map(OsString::from),
        );
    }

    let mut sources = library_sources(&root.join("src"));
    sources.extend(library_sources(
        &root.join("src").join("platform").join(platform),
    ));
    let objects = compile(&compiler, &flags, &root, &sources, &out_dir);
    let archive = out_dir.join("libprimary-mac.a");
    let _ = std::fs::remove_file(&archive);
    let archiver = tool("AR", &target, "ar", "ar");
    run(Command::new(&archiver)
        .arg("crs")
        .arg(&archive)
        .args(&objects));
    println!("cargo:rustc-link-search=native={}", out_dir.display());
    println!("cargo:rustc-link-lib=static=primary-mac");
    println!("cargo:rerun-if-changed={}", root.join("include").display());
    println!("cargo:rerun-if-changed={}", root.join("src").display());
}

/// The library's sources in `folder`: its C++ files but the program's own, in
/// order.
fn library_sources(folder: &Path) -> Vec<PathBuf> {
    let entries = std::fs::read_dir(folder)
        .unwrap_or_else(|error| fail(&format!("cannot read {}: {error}", folder.display())));
    let mut sources: Vec<PathBuf> = entries
        .filter_map(|entry| entry.ok().map(|entry| entry.path()))
        .filter(|path| {
            path.extension()
                .map_or(false, |extension| extension == "cpp")
                && !PROGRAM_SOURCES.iter().any(|name| path.ends_with(name))
        })
        .collect();
    sources.sort();
    sources
}

/// Where the library's sources are: library/ in the released crate, the
/// project's tree (two folders up) in a checkout.
fn sources_root() -> PathBuf {
    let manifest = PathBuf::from(var("CARGO_MANIFEST_DIR"));
    let packaged = manifest.join("library");
    if packaged.is_dir() {
        packaged
    } else {
        manifest.join("..").join("..")
    }
}

/// Compiles each source into OUT_DIR, up to NUM_JOBS at a time, and returns
/// the objects.
fn compile(
    compiler: &OsString,
    flags: &[OsString],
    root: &Path,
    sources: &[PathBuf],
    out_dir: &Path,
) -> Vec<PathBuf> {
    let jobs = env::var("NUM_JOBS")
        .ok()
        .and_then(|jobs| jobs.parse().ok())
        .unwrap_or(1usize)
        .max(1);
    let mut objects = Vec::new();
    for batch in sources.chunks(jobs) {
        let mut running = Vec::new();
        for source in batch {
            // Named by its path under the root: src_platform_linux_lock.o.
            let name = source
                .strip_prefix(root)
                .unwrap_or(source)
                .to_string_lossy();
            let object = out_dir
                .join(name.replace(['/', '\\'], "_"))
                .with_extension("o");
            let mut command = Command::new(compiler);
            command
                .args(flags)
                .arg("-c")
                .arg(source)
                .arg("-o")
                .arg(&object);
            let child = command
                .spawn()
                .unwrap_or_else(|error| fail(&format!("cannot run {command:?}: {error}")));
            running.push((command, child));
            objects.push(object);
        }
        for (command, mut child) in running {
            match child.wait() {
                Ok(status) if status.success() => {}
                _ => fail(&format!("failed: {command:?}")),
            }
        }
    }
    objects
}

/// Links the library installed on the system: from PRIMARY_MAC_LIB_DIR when
/// it is set, else as pkg-config gives it.
fn link_system_library() {
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
    let output = match output {
        Ok(output) if output.status.success() => output,
        Ok(output) => not_found(&String::from_utf8_lossy(&output.stderr)),
        Err(error) => not_found(&format!("cannot run pkg-config: {error}")),
    };
    for flag in shell_words(&String::from_utf8_lossy(&output.stdout)) {
        if let Some(dir) = flag.strip_prefix("-L") {
            println!("cargo:rustc-link-search=native={dir}");
        } else if let Some(library) = flag.strip_prefix("-l") {
            println!("cargo:rustc-link-lib={library}");
        }
    }
}

/// Splits pkg-config's output into its words: pkg-config escapes a space or
/// a backslash in a path with a backslash (-L/opt/my\ libs/lib).
fn shell_words(text: &str) -> Vec<String> {
    let mut words = Vec::new();
    let mut word = String::new();
    let mut characters = text.chars();
    while let Some(character) = characters.next() {
        match character {
            '\\' => word.extend(characters.next()),
            character if character.is_whitespace() => {
                if !word.is_empty() {
                    words.push(std::mem::take(&mut word));
                }
            }
            character => word.push(character),
        }
    }
    if !word.is_empty() {
        words.push(word);
    }
    words
}

fn not_found(detail: &str) -> ! {
    fail(&format!(
        "the `system` feature links the primary-mac library installed on the system, which \
         was not found: install it with its pkg-config file (libprimary-mac-dev on Debian and \
         Ubuntu), or set PRIMARY_MAC_LIB_DIR to the folder that holds it\n{}",
        detail.trim_end()
    ))
}

/// A tool for the target, as the `cc` crate finds it: the variable's first
/// setting (tool_var), else the cross tools' name for the target's prefix, or
/// the native name when the target is the host.
fn tool(name: &str, target: &str, cross_name: &str, native_name: &str) -> OsString {
    if let Some(tool) = tool_var(name, target) {
        return tool;
    }
    if target == var("HOST") {
        return native_name.into();
    }
    match cross_prefix(target) {
        Some(prefix) => format!("{prefix}-{cross_name}").into(),
        None => fail(&format!(
            "no {name} known for {target}: set {name}_{target}"
        )),
    }
}

/// The first of NAME_<target>, NAME_<target with underscores>, TARGET_NAME
/// (HOST_NAME when the target is the host) and NAME that is set.
fn tool_var(name: &str, target: &str) -> Option<OsString> {
    let kind = if target == var("HOST") {
        "HOST"
    } else {
        "TARGET"
    };
    [
        format!("{name}_{target}"),
        format!("{name}_{}", target.replace('-', "_")),
        format!("{kind}_{name}"),
        name.to_string(),
    ]
    .iter()
    .find_map(|variable| {
        println!("cargo:rerun-if-env-changed={variable}");
        env::var_os(variable).filter(|value| !value.is_empty())
    })
}

/// The GNU tools' prefix for a target, as MinGW-w64 and Debian name their
/// cross compilers: i686-pc-windows-gnu -> i686-w64-mingw32,
/// aarch64-unknown-linux-gnu -> aarch64-linux-gnu,
/// armv7-unknown-linux-gnueabihf -> arm-linux-gnueabihf.
fn cross_prefix(target: &str) -> Option<String> {
    let arch = var("CARGO_CFG_TARGET_ARCH");
    let arch = if arch == "x86" { "i686" } else { arch.as_str() };
    match (
        var("CARGO_CFG_TARGET_OS").as_str(),
        var("CARGO_CFG_TARGET_ENV").as_str(),
    ) {
        ("windows", "gnu") => Some(format!("{arch}-w64-mingw32")),
        ("linux", "gnu") => target
            .rsplit('-')
            .next()
            .map(|abi| format!("{arch}-linux-{abi}")),
        _ => None,
    }
}

fn var(name: &str) -> String {
    env::var(name).unwrap_or_else(|_| fail(&format!("cargo did not set {name}")))
}

fn run(command: &mut Command) {
    match command.status() {
        Ok(status) if status.success() => {}
        Ok(_) => fail(&format!("failed: {command:?}")),
        Err(error) => fail(&format!("cannot run {command:?}: {error}")),
    }
}

fn fail(message: &str) -> ! {
    eprintln!("{message}");
    process::exit(1);
}
