#pragma once

#include <functional>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "attrib/AttributeSymbol.h"
#include "attrib/BlockPool.h"
#include "attrib/ChunkResource.h"
#include "attrib/NameHash.h"

namespace vex {

// A symbol table's key is the name's entry in the string pool: a pointer rather than a view, to
// keep each entry small. Without a thrown exception possible, the table does not store each
// entry's hash beside it either.
struct SymbolNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept {
    return CaseInsensitiveHash()(name);
  }
  std::size_t operator()(const std::string* name) const noexcept { return (*this)(*name); }
};

struct SymbolNameEqual {
  using is_transparent = void;
  static std::string_view View(std::string_view name) { return name; }
  static std::string_view View(const std::string* name) { return *name; }
  template <typename A, typename B>
  bool operator()(const A& a, const B& b) const {
    return CaseInsensitiveEqual()(View(a), View(b));
  }
};

using AttributeSymbolTable =
    std::pmr::unordered_map<const std::string*, AttributeSymbol*, SymbolNameHash, SymbolNameEqual>;

// One tag as listed for tools: its name as stored, whether it is an expansion tag, its symbols.
struct AttributeTagListing {
  std::string_view name;
  bool expansion = false;
  std::vector<std::pair<std::string_view, const AttributeSymbol*>> symbols;
};

// A symbol table placed in the store's chunks: only destroyed, its memory goes with the chunks.
struct DestroyInChunk {
  void operator()(AttributeSymbolTable* table) const { table->~AttributeSymbolTable(); }
};

// One tag's symbols. The table is made with the first symbol: a file of many empty tags must not
// pay for a table per tag.
struct AttributeTag {
  std::unique_ptr<AttributeSymbolTable, DestroyInChunk> symbols;

  bool Holds(std::string_view name) const { return symbols && symbols->contains(name); }
};

// Tags with their symbol tables, the string pool and the per-object pools of one file.
class AttributeStore {
 public:
  explicit AttributeStore(const CAttributeFile* owner);
  AttributeStore(const AttributeStore&) = delete;
  AttributeStore& operator=(const AttributeStore&) = delete;

  // Ordinary or expansion tag of that name, or null.
  const AttributeTag* FindTag(std::string_view name) const;
  // The name must not be present yet; tags whose name holds "EXPANSION" go to the expansion map.
  AttributeTag& AddTag(std::string_view name);

  // Enters a copy of `record` under `name` with the owner set; false when no storage is left.
  bool AddSymbol(AttributeTag& tag, std::string_view name, const AttributeSymbol& record);
  // Copies into the pool of its kind; null when no storage is left.
  const AttributeRect* NewRect(const AttributeRect& value) { return Keep(rects_, value); }
  const AttributePoint* NewPoint(const AttributePoint& value) { return Keep(points_, value); }
  const AttributeVector* NewVector(const AttributeVector& value) { return Keep(vectors_, value); }
  const AttributeRange* NewRange(const AttributeRange& value) { return Keep(ranges_, value); }
  const std::string& Intern(std::string_view text);

  // Looks among the ordinary tags, then among the expansion tags; null names find nothing.
  const AttributeSymbol* Find(const char* tag, const char* symbol) const;

  std::vector<AttributeTagListing> List() const;

 private:
  // Tag names are unique, so each tag keeps its own name rather than a string pool entry.
  using TagMap =
      std::unordered_map<std::string, AttributeTag, CaseInsensitiveHash, CaseInsensitiveEqual>;

  template <typename T>
  static const T* Keep(BlockPool<T>& pool, const T& value) {
    T* slot = pool.Take();
    if (slot != nullptr) {
      *slot = value;
    }
    return slot;
  }

  const CAttributeFile* owner_;
  // Holds the symbol tables' buckets and entries; declared before the tags, which it outlives.
  ChunkResource tableMemory_;
  std::unordered_set<std::string, ExactHash, std::equal_to<>> strings_;
  TagMap tags_;
  TagMap expansionTags_;
  // The tag FindTag() answered last; map nodes never move, and tags are never removed.
  mutable const TagMap::value_type* lastFound_ = nullptr;
  BlockPool<AttributeSymbol> symbols_;
  BlockPool<AttributeRect> rects_;
  BlockPool<AttributePoint> points_;
  BlockPool<AttributeVector> vectors_;
  BlockPool<AttributeRange> ranges_;
};

}  // namespace vex
