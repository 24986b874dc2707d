#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "system/package_tables_api.h"

// Package tables by package path and query, summary numbers, and the installer's component
// paths by product and component id. A package that has no entry does not open (ERROR_OPEN_FAILED).
class FakeTables : public PackageTablesApi {
 public:
  // package -> query -> the fields it gives, record after record
  std::map<std::u16string, std::map<std::u16string, std::vector<std::u16string>>> rows;
  std::map<std::u16string, int> wordCounts;  // package -> PID_WORDCOUNT
  std::map<std::pair<std::u16string, std::u16string>, std::pair<int, std::u16string>> components;

  std::uint32_t ReadRows(const char16_t* package, const char16_t* query, unsigned fields,
                         std::vector<std::u16string>* out) override {
    const auto opened = rows.find(package);
    if (opened == rows.end()) return 110;
    const std::vector<std::u16string>& values = opened->second[query];
    if (values.size() % fields != 0) return 1615;  // the test's query names other fields
    out->insert(out->end(), values.begin(), values.end());
    return 0;
  }
  std::uint32_t ReadSummaryNumber(const char16_t* package, unsigned, int* value) override {
    if (rows.count(package) == 0) return 110;
    *value = wordCounts.count(package) ? wordCounts[package] : kSourceTypeCompressed;
    return 0;
  }
  int ReadComponentPath(const char16_t* product, const char16_t* component,
                        std::u16string* path) override {
    const auto found = components.find({product, component});
    if (found == components.end()) return -1;
    *path = found->second.second;
    return found->second.first;
  }
};
