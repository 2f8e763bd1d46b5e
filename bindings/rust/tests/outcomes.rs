//! The call against the program's answer in the same namespace, which the
//! project's tests/bindings/bindings_test.sh gives in PRIMARY_MAC_EXPECTED_*.
use std::env;

fn expected(name: &str) -> Option<String> {
    let value = env::var(format!("PRIMARY_MAC_EXPECTED_{name}")).ok();
    if value.is_none() {
        eprintln!("skipped: tests/bindings/bindings_test.sh sets PRIMARY_MAC_EXPECTED_{name}");
    }
    value
}

#[test]
fn answers_as_the_program() {
    let outcome = match expected("OUTCOME") {
        Some(outcome) => outcome,
        None => return,
    };
    let answer = match outcome.as_str() {
        "found" => Ok(expected("MAC")),
        "no_adapter" => Ok(None),
        "failed" => Err(expected("FAILURE").unwrap()),
        _ => panic!("unknown outcome {outcome}"),
    };
    assert_eq!(
        primary_mac::get().map_err(|error| error.to_string()),
        answer
    );
}

#[test]
fn version_is_the_librarys() {
    if let Some(version) = expected("VERSION") {
        assert_eq!(primary_mac::version(), version);
    }
}
