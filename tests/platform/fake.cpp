#include "fake.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

IP_ADAPTER_INFO ParseAdapter(const char *line) {
    IP_ADAPTER_INFO record;
    memset(&record, 0, sizeof record);
    char *rest;
    record.Type = static_cast<uint32_t>(strtoul(line, &rest, 0));
    record.Index = static_cast<uint32_t>(strtoul(rest, &rest, 0));
    rest += strspn(rest, " ");
    if (*rest == '-') {
        ++rest;
    } else {
        while (record.AddressLength < sizeof record.Address && isxdigit(*rest)) {
            record.Address[record.AddressLength++] = static_cast<uint8_t>(strtoul(rest, &rest, 16));
            if (*rest == '-')
                ++rest;
        }
    }
    rest += strspn(rest, " ");
    snprintf(record.Description, sizeof record.Description, "%s", rest);
    return record;
}

FakeAdapterList Parse(const char *table) {
    FakeAdapterList list;
    std::string text = table;
    for (char *line = strtok(text.data(), "\n"); line != nullptr; line = strtok(nullptr, "\n")) {
        if (strncmp(line, "fail ", 5) == 0)
            list.failure = line + 5;
        else
            list.records.push_back(ParseAdapter(line));
    }
    return list;
}

FakeAdapterList LoadFromEnvironment() {
    const char *path = getenv("PRIMARY_MAC_FAKE_LIST");
    FILE *file = path != nullptr ? fopen(path, "rb") : nullptr;
    if (file == nullptr)
        return {};
    std::string table;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
        table.append(chunk, n);
    fclose(file);
    return Parse(table.c_str());
}

} // namespace

FakeAdapterList &FakeAdapters() {
    static FakeAdapterList list = LoadFromEnvironment();
    return list;
}

void SetFakeAdapters(const char *table) {
    FakeAdapters() = Parse(table);
}

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    FakeAdapterList &list = FakeAdapters();
    ++list.queries;

    // The platform leaves the buffer as it was, which is rarely zeroes. On
    // failure it holds a plausible, eligible list, so a scan that walks the
    // buffer anyway gives itself away.
    memset(records, 0xA5, sizeof records);
    records[0] = {};
    records[0].Type = MIB_IF_TYPE_ETHERNET;
    records[0].AddressLength = 6;
    memset(records[0].Address, 0xEE, 6);

    const size_t count = list.records.size();
    if (count > kAdapterRecords) {
        fprintf(stderr, "fake adapter list: %zu records, more than a query returns\n", count);
        abort();
    }
    if (!list.failure.empty()) {
        snprintf(failure, sizeof failure, "%s", list.failure.c_str());
        return AdapterQuery::kFailed;
    }
    if (count == 0)
        return AdapterQuery::kNoAdapters;
    for (size_t i = 0; i < count; ++i) {
        records[i] = list.records[i];
        records[i].Next = i + 1 < count ? &records[i + 1] : nullptr;
    }
    return AdapterQuery::kListed;
}
