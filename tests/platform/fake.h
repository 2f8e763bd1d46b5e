// A stand-in for the platform's adapter query, for tests: the list comes from
// a table in text, one adapter per line,
//
//     TYPE INDEX ADDRESS DESCRIPTION...
//
// with ADDRESS as hex bytes joined by '-' ("00-1A-2B"), or "-" for none, and
// INDEX in any base strtoul reads ("7", "0x80000000"). A line "fail CAUSE"
// makes the query fail for that cause. None at all is the answer "no
// adapters"; more than a query returns (16) is a mistake in the test.
//
// A test build of the whole program links this instead of the platform layer
// and reads its table from the file named by PRIMARY_MAC_FAKE_LIST.
#pragma once

#include <string>
#include <vector>

#include "platform/adapters.h"

struct FakeAdapterList {
    std::string failure; // the cause the query fails for; empty when it does not
    std::vector<IP_ADAPTER_INFO> records;
    int queries = 0; // how many times the program asked
};

// The list the next query returns, loaded on first use from the file named by
// PRIMARY_MAC_FAKE_LIST when that is set.
FakeAdapterList &FakeAdapters();

// Replaces the list with the one `table` describes (see above).
void SetFakeAdapters(const char *table);
