package primarymac_test

import (
	"errors"
	"os"
	"testing"

	"primarymac/v4"
)

// expected is the program's answer in the same namespace, which the project's
// tests/bindings/bindings_test.sh gives in PRIMARY_MAC_EXPECTED_*.
func expected(t *testing.T, name string) string {
	value, ok := os.LookupEnv("PRIMARY_MAC_EXPECTED_" + name)
	if !ok {
		t.Skip("tests/bindings/bindings_test.sh sets PRIMARY_MAC_EXPECTED_" + name)
	}
	return value
}

func TestGet(t *testing.T) {
	outcome := expected(t, "OUTCOME")
	mac, err := primarymac.Get()
	var failure *primarymac.Error
	switch outcome {
	case "found", "no_adapter":
		if want := expected(t, "MAC"); mac != want || err != nil {
			t.Errorf("Get() = %q, %v; the program answers %q", mac, err, want)
		}
	case "failed":
		if want := expected(t, "FAILURE"); mac != "" || !errors.As(err, &failure) || failure.Cause != want {
			t.Errorf("Get() = %q, %v; want an *Error with the cause %q", mac, err, want)
		}
	default:
		t.Fatalf("unknown outcome %q", outcome)
	}
}

func TestVersion(t *testing.T) {
	if version, want := primarymac.Version(), expected(t, "VERSION"); version != want {
		t.Errorf("Version() = %q, want %q", version, want)
	}
}
