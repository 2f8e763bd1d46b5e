// Fuzzes the scan on adapter lists built from arbitrary bytes: whatever the
// list, nothing is read outside it (the sanitizers watch), the trace changes
// nothing, a failed query gives no answer, and an answer is the address of a
// listed Ethernet adapter. Which adapter is the right one, the tables of
// scan_test.cpp say.
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

// The bytes that `text` spells as MAC text, upper-case hex byte pairs joined
// by '-'; false when it is not such text.
bool ParseMacText(const std::string &text, std::vector<uint8_t> &bytes) {
    for (size_t at = 0; at < text.size(); at += 3) {
        const std::string pair = text.substr(at, 2);
        if (pair.size() != 2 || pair.find_first_not_of("0123456789ABCDEF") != std::string::npos ||
            (at + 2 < text.size() && text[at + 2] != '-') || at + 3 == text.size())
            return false;
        bytes.push_back(static_cast<uint8_t>(strtoul(pair.c_str(), nullptr, 16)));
    }
    return !bytes.empty();
}

// Whether `answer` is the MAC text of a listed Ethernet adapter's address: as
// many of its bytes as its length says, at most the field's.
bool IsListedEthernetAddress(const std::string &answer, const FakeAdapterList &list) {
    std::vector<uint8_t> bytes;
    if (!ParseMacText(answer, bytes) || bytes.size() > MAX_ADAPTER_ADDRESS_LENGTH)
        return false;
    const auto count = static_cast<int32_t>(bytes.size());
    for (const IP_ADAPTER_INFO &record : list.records) {
        const auto length = static_cast<int32_t>(record.AddressLength);
        if (record.Type == MIB_IF_TYPE_ETHERNET &&
            std::min<int32_t>(length, MAX_ADAPTER_ADDRESS_LENGTH) == count &&
            memcmp(record.Address, bytes.data(), bytes.size()) == 0)
            return true;
    }
    return false;
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
    const FakeAdapterList &list = FakeAdapters() = Decode(data, size);
    g_trace = false;
    const std::string answer = GetPrimaryMac();
    const char *failure = GetQueryFailure();
    g_trace = true;
    const std::string traced = GetPrimaryMac();

    const char *fault = nullptr;
    if (traced != answer)
        fault = "the trace changed the answer";
    else if ((failure != nullptr) != !list.failure.empty())
        fault = "a failure misreported";
    else if (failure != nullptr && !answer.empty())
        fault = "an answer from a failed query";
    else if (!answer.empty() && !IsListedEthernetAddress(answer, list))
        fault = "not the address of a listed Ethernet adapter";
    if (fault != nullptr) {
        fprintf(stderr, "%s: \"%s\", traced \"%s\"\n", fault, answer.c_str(), traced.c_str());
        abort();
    }
    return 0;
}
