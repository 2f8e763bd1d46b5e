//! The call against the program's answer in the same namespace, which the
//! project's tests/bindings/bindings_test.sh gives in PRIMARY_MAC_EXPECTED_*
//! when it runs these with `cargo test -- --include-ignored`.
use std::env;

fn expected(name: &str) -> String {
    let name = format!("PRIMARY_MAC_EXPECTED_{name}");
    env::var(&name).unwrap_or_else(|_| panic!("no {name}: tests/bindings/bindings_test.sh sets it"))
}

#[test]
#[ignore = "tests/bindings/bindings_test.sh runs this with the program's answer"]
fn answers_as_the_program() {
    let answer = match expected("OUTCOME").as_str() {
        "found" => Ok(Some(expected("MAC"))),
        "no_adapter" => Ok(None),
        "failed" => Err(expected("FAILURE")),
        outcome => panic!("unknown outcome {outcome}"),
    };
    assert_eq!(
        primary_mac::get().map_err(|error| error.to_string()),
        answer
    );
}

#[test]
#[ignore = "tests/bindings/bindings_test.sh runs this with the program's answer"]
fn version_is_the_librarys() {
    assert_eq!(primary_mac::version(), expected("VERSION"));
}
