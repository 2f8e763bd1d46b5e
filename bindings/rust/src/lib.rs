//! The MAC address of the machine's primary wired Ethernet adapter, byte for
//! byte what the `primary-mac` program prints, from the primary-mac C library.

use std::fmt;
use std::os::raw::{c_char, c_int};

// From primary-mac.h.
const PRIMARY_MAC_FOUND: c_int = 1;
const PRIMARY_MAC_NO_ADAPTER: c_int = 0;
const PRIMARY_MAC_TEXT_SIZE: usize = 24;
const PRIMARY_MAC_FAILURE_SIZE: usize = 256;

extern "C" {
    fn primary_mac_get(
        mac: *mut c_char,
        mac_size: usize,
        failure: *mut c_char,
        failure_size: usize,
    ) -> c_int;
    fn primary_mac_version() -> *const c_char;
}

/// A failed query: there is no answer, which is not "no adapter" (the
/// machine may well have one). Displays the library's cause, such as
/// "cannot list network adapters: ...".
#[derive(Debug, Clone, PartialEq, Eq)]
pub struct Error {
    cause: String,
}

impl fmt::Display for Error {
    fn fmt(&self, f: &mut fmt::Formatter<'_>) -> fmt::Result {
        f.write_str(&self.cause)
    }
}

impl std::error::Error for Error {}

/// Scans the machine's network adapters: `Ok(Some(address))`, such as
/// "00-1A-2B-3C-4D-5E"; `Ok(None)` when no adapter qualifies; `Err` when
/// the query failed. Any number of threads may call at once.
pub fn get() -> Result<Option<String>, Error> {
    let mut mac = [0u8; PRIMARY_MAC_TEXT_SIZE];
    let mut failure = [0u8; PRIMARY_MAC_FAILURE_SIZE];
    // SAFETY: each pointer comes with its buffer's size; the library writes
    // NUL-terminated text within them and keeps neither.
    let outcome = unsafe {
        primary_mac_get(
            mac.as_mut_ptr().cast(),
            mac.len(),
            failure.as_mut_ptr().cast(),
            failure.len(),
        )
    };
    match outcome {
        PRIMARY_MAC_FOUND => Ok(Some(text(&mac))),
        PRIMARY_MAC_NO_ADAPTER => Ok(None),
        _ => Err(Error {
            cause: text(&failure),
        }),
    }
}

/// The C library's version, such as "4.0.0".
pub fn version() -> &'static str {
    // SAFETY: the library returns static NUL-terminated text.
    let version = unsafe { std::ffi::CStr::from_ptr(primary_mac_version()) };
    version.to_str().expect("the library's version is ASCII")
}

/// The NUL-terminated text in a buffer the library filled.
fn text(buffer: &[u8]) -> String {
    let end = buffer
        .iter()
        .position(|&byte| byte == 0)
        .unwrap_or(buffer.len());
    String::from_utf8_lossy(&buffer[..end]).into_owned()
}
