//! Prints the primary wired Ethernet adapter's MAC address as primary-mac does.
use std::process::ExitCode;

fn main() -> ExitCode {
    match primary_mac::get() {
        Ok(Some(mac)) => print!("{mac}"),
        Ok(None) => {} // no wired Ethernet adapter: nothing to print
        Err(error) => {
            eprintln!("primary-mac: {error}");
            return ExitCode::FAILURE;
        }
    }
    ExitCode::SUCCESS
}
