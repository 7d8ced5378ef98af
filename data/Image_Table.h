#pragma once
// The table operations that sprites and backgrounds share beyond the resource-table template:
// making every texture, adding and replacing entries from files, deleting with a result.

#include "data/Resource_Table.h"

namespace vl {

template <typename T>
class CImageTable : public CResourceTable<T> {
public:
  using CResourceTable<T>::CResourceTable;
  using CResourceTable<T>::Count;
  using CResourceTable<T>::Get;
  using CResourceTable<T>::Exists;

  void InitTextures() {
    for (auto& item : this->t_items)
      if (item) item->InitTexture();
  }

  // Appends an entry and loads it; a failed load drops the entry again and gives -1.
  template <typename Load>
  int32_t AddLoaded(Load load) {
    const int32_t index = this->Add();
    if (load(*Get(index))) return index;
    this->t_items.pop_back();
    this->t_names.pop_back();
    return -1;
  }

  // Loads into the entry at index, creating it when empty; false for an index outside the table.
  template <typename Load>
  bool ReplaceLoaded(int32_t index, Load load) {
    if (index < 0 || index >= Count()) return false;
    auto& item = this->t_items[size_t(index)];
    if (!item) item = std::make_unique<T>();
    return load(*item);
  }

  // False when index holds no resource.
  bool Remove(int32_t index) {
    if (!Exists(index)) return false;
    this->Delete(index);
    return true;
  }
};

} // namespace vl
