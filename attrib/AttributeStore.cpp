#include "attrib/AttributeStore.h"

#include <utility>

namespace vex {
namespace {

constexpr std::size_t kInitialEntries = 100;

bool IsExpansionTag(std::string_view name) {
  return name.find("EXPANSION") != std::string_view::npos;
}

}  // namespace

AttributeStore::AttributeStore(const CAttributeFile* owner) : owner_(owner) {
  strings_.reserve(kInitialEntries);
  tags_.reserve(kInitialEntries);
  expansionTags_.reserve(kInitialEntries);
}

const AttributeSymbolTable* AttributeStore::FindTag(std::string_view name) const {
  for (const TagMap* map : {&tags_, &expansionTags_}) {
    if (const auto found = map->find(name); found != map->end()) {
      return &found->second;
    }
  }
  return nullptr;
}

AttributeSymbolTable* AttributeStore::FindTag(std::string_view name) {
  return const_cast<AttributeSymbolTable*>(std::as_const(*this).FindTag(name));
}

AttributeSymbolTable& AttributeStore::AddTag(std::string_view name) {
  TagMap& map = IsExpansionTag(name) ? expansionTags_ : tags_;
  AttributeSymbolTable& table = map[Intern(name)];
  table.reserve(kInitialEntries);
  return table;
}

bool AttributeStore::AddSymbol(AttributeSymbolTable& table, std::string_view name,
                               const AttributeSymbol& record) {
  AttributeSymbol* symbol = symbols_.Take();
  if (symbol == nullptr) {
    return false;
  }
  *symbol = record;
  symbol->owner = owner_;
  table.emplace(Intern(name), symbol);
  return true;
}

const std::string& AttributeStore::Intern(std::string_view text) {
  if (auto found = strings_.find(text); found != strings_.end()) {
    return *found;
  }
  return *strings_.emplace(text).first;
}

const AttributeSymbol* AttributeStore::Find(const char* tag, const char* symbol) const {
  if (tag == nullptr || symbol == nullptr) {
    return nullptr;
  }
  for (const TagMap* map : {&tags_, &expansionTags_}) {
    const auto table = map->find(tag);
    if (table == map->end()) {
      continue;
    }
    if (const auto found = table->second.find(symbol); found != table->second.end()) {
      return found->second;
    }
  }
  return nullptr;
}

std::vector<AttributeTagListing> AttributeStore::List() const {
  std::vector<AttributeTagListing> listing;
  for (const TagMap* map : {&tags_, &expansionTags_}) {
    for (const auto& [name, table] : *map) {
      AttributeTagListing& tag = listing.emplace_back();
      tag.name = name;
      tag.expansion = map == &expansionTags_;
      for (const auto& [symbolName, symbol] : table) {
        tag.symbols.emplace_back(symbolName, symbol);
      }
    }
  }
  return listing;
}

}  // namespace vex
