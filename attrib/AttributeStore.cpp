#include "attrib/AttributeStore.h"

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

const AttributeTag* AttributeStore::FindTag(std::string_view name) const {
  // Callers read a tag's symbols one after another; the tag just found is asked for again.
  if (lastFound_ != nullptr && CaseInsensitiveEqual()(lastFound_->first, name)) {
    return &lastFound_->second;
  }
  for (const TagMap* map : {&tags_, &expansionTags_}) {
    if (const auto found = map->find(name); found != map->end()) {
      lastFound_ = &*found;
      return &found->second;
    }
  }
  return nullptr;
}

AttributeTag& AttributeStore::AddTag(std::string_view name) {
  TagMap& map = IsExpansionTag(name) ? expansionTags_ : tags_;
  return map.try_emplace(std::string(name)).first->second;
}

bool AttributeStore::AddSymbol(AttributeTag& tag, std::string_view name,
                               const AttributeSymbol& record) {
  AttributeSymbol* symbol = symbols_.Take();
  if (symbol == nullptr) {
    return false;
  }
  *symbol = record;
  symbol->owner = owner_;
  // A table starts with room for its first symbol and grows by rehashing, cut from the chunks
  // like its entries: room for 100 symbols (or the library's first 13 buckets) in each of
  // 100,000 one-symbol tags cost many times the file's size.
  if (!tag.symbols) {
    tag.symbols.reset(
        std::pmr::polymorphic_allocator<>(&tableMemory_).new_object<AttributeSymbolTable>());
    tag.symbols->reserve(1);
  }
  tag.symbols->emplace(&Intern(name), symbol);
  return true;
}

const std::string& AttributeStore::Intern(std::string_view text) {
  if (auto found = strings_.find(text); found != strings_.end()) {
    return *found;
  }
  return *strings_.emplace(text).first;
}

// A name is never in both tag maps, so the tag found is the only one that can hold the symbol.
const AttributeSymbol* AttributeStore::Find(const char* tag, const char* symbol) const {
  if (tag == nullptr || symbol == nullptr) {
    return nullptr;
  }
  const AttributeTag* found = FindTag(tag);
  if (found == nullptr || !found->symbols) {
    return nullptr;
  }
  const auto entry = found->symbols->find(std::string_view(symbol));
  return entry != found->symbols->end() ? entry->second : nullptr;
}

std::vector<AttributeTagListing> AttributeStore::List() const {
  std::vector<AttributeTagListing> listing;
  for (const TagMap* map : {&tags_, &expansionTags_}) {
    for (const auto& [name, tag] : *map) {
      AttributeTagListing& listed = listing.emplace_back();
      listed.name = name;
      listed.expansion = map == &expansionTags_;
      if (tag.symbols) {
        for (const auto& [symbolName, symbol] : *tag.symbols) {
          listed.symbols.emplace_back(*symbolName, symbol);
        }
      }
    }
  }
  return listing;
}

}  // namespace vex
