// Fuzzes the scan on adapter lists built from arbitrary bytes, and checks its
// answer against an oracle written independently of it.
//
// Input: one byte choosing the list (0 to 16 records, or 17 for a failed
// query), then each record's Type, Index and AddressLength (4 bytes each,
// little-endian), Address (8 bytes) and Description (132 bytes, not
// necessarily terminated). Missing bytes read as zero.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake.h"
#include "scan.h"
#include "trace.h"

namespace {

class Reader {
  public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    void Take(void *out, size_t n) {
        memset(out, 0, n);
        const size_t available = std::min(n, size_);
        memcpy(out, data_, available);
        data_ += available;
        size_ -= available;
    }
    uint32_t Word() {
        uint8_t bytes[4];
        Take(bytes, sizeof bytes);
        return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    }

  private:
    const uint8_t *data_;
    size_t size_;
};

FakeAdapterList Decode(const uint8_t *data, size_t size) {
    Reader input(data, size);
    uint8_t choice = 0;
    input.Take(&choice, 1);
    FakeAdapterList list;
    if (choice % 18 == 17)
        list.failure = "fuzzed";
    for (int i = 0; i < choice % 18 && list.failure.empty(); ++i) {
        IP_ADAPTER_INFO record;
        memset(&record, 0, sizeof record);
        record.Type = input.Word();
        record.Index = input.Word();
        record.AddressLength = input.Word();
        input.Take(record.Address, sizeof record.Address);
        input.Take(record.Description, sizeof record.Description);
        list.records.push_back(record);
    }
    return list;
}

// The rules, stated afresh: the address length is a signed count of at most
// the field's 8 bytes; the description is what the field holds up to its NUL
// or its last byte but one; an adapter qualifies when it is Ethernet (6), its
// upper-cased description neither starts with "VIRTUALBOX " nor contains a
// wireless or Bluetooth word, and it has an address that is not all zeros;
// the answer is the first listed of those with the lowest signed index.
std::string OracleMac(const IP_ADAPTER_INFO &record) {
    const auto length = std::clamp<int64_t>(static_cast<int32_t>(record.AddressLength), 0, 8);
    std::string text;
    for (int64_t i = 0; i < length; ++i) {
        if (i > 0)
            text += '-';
        text += "0123456789ABCDEF"[record.Address[i] / 16];
        text += "0123456789ABCDEF"[record.Address[i] % 16];
    }
    return text;
}

bool OracleEligible(const IP_ADAPTER_INFO &record) {
    std::string description(record.Description, strnlen(record.Description, 131));
    std::transform(description.begin(), description.end(), description.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    const auto has = [&](const char *word) { return description.find(word) != std::string::npos; };
    return record.Type == 6 && description.rfind("VIRTUALBOX ", 0) != 0 && !has("BLUETOOTH") &&
           !has("WIRELESS") && !has("WI-FI") && !has("WIFI") && !OracleMac(record).empty() &&
           OracleMac(record).find_first_not_of("0-") != std::string::npos;
}

std::string OracleAnswer(const FakeAdapterList &list) {
    if (!list.failure.empty())
        return "";
    std::vector<IP_ADAPTER_INFO> eligible;
    std::copy_if(list.records.begin(), list.records.end(), std::back_inserter(eligible),
                 OracleEligible);
    const auto best = std::min_element(
        eligible.begin(), eligible.end(), [](const IP_ADAPTER_INFO &a, const IP_ADAPTER_INFO &b) {
            return static_cast<int32_t>(a.Index) < static_cast<int32_t>(b.Index);
        });
    return best == eligible.end() ? "" : OracleMac(*best);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The trace lines are exercised, not read.
    if (freopen("/dev/null", "w", stdout) == nullptr)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The fake query hands the list over as the platform would; after a
    // failure it leaves a plausible list behind, which a scan must not walk.
    FakeAdapters() = Decode(data, size);
    const std::string expected = OracleAnswer(FakeAdapters());
    for (const bool trace : {false, true}) {
        g_trace = trace;
        const std::string answer = GetPrimaryMac();
        if (answer != expected) {
            fprintf(stderr, "answer \"%s\", expected \"%s\" (trace %d)\n", answer.c_str(),
                    expected.c_str(), trace);
            abort();
        }
    }
    return 0;
}
