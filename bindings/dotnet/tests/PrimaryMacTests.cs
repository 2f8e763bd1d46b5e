// The call against the program's answer in the same namespace, which the
// project's tests/bindings/bindings_test.sh gives in PRIMARY_MAC_EXPECTED_*:
// exit status 0 when the call answers as the program, else 1; without them,
// 77, the status of a skipped test.
using System;
using PrimaryMacAddress;

static class PrimaryMacTests
{
    const int Skipped = 77;

    static int Main()
    {
        string outcome = Expected("OUTCOME");
        if (outcome == null)
        {
            Console.WriteLine("SKIP: tests/bindings/bindings_test.sh sets PRIMARY_MAC_EXPECTED_*");
            return Skipped;
        }
        string answer = outcome == "found" ? "found " + Expected("MAC")
            : outcome == "failed" ? "failed " + Expected("FAILURE")
            : outcome;
        bool passed = Check("Get()", answer, Outcome());
        passed &= Check("Version()", Expected("VERSION"), PrimaryMac.Version());
        return passed ? 0 : 1;
    }

    static string Expected(string name)
    {
        return Environment.GetEnvironmentVariable("PRIMARY_MAC_EXPECTED_" + name);
    }

    // The call's outcome, written as the expected one is.
    static string Outcome()
    {
        try
        {
            string mac = PrimaryMac.Get();
            return mac == null ? "no_adapter" : "found " + mac;
        }
        catch (PrimaryMacException failure)
        {
            return "failed " + failure.Message;
        }
    }

    static bool Check(string call, string expected, string actual)
    {
        if (actual == expected)
            return true;
        Console.WriteLine("FAIL: {0}\n  expected: {1}\n  actual:   {2}", call, expected, actual);
        return false;
    }
}
