#pragma once
// The fields of one window in table order: the window's parameter set. It
// turns register blocks into field values and back, and tracks which values
// differ from the last read or load.
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "params/parameter_field.h"

namespace orvadw {

class ParameterFieldList {
 public:
  // page_count: the window's tab pages; fields may sit on pages 0..count-1
  // or on the window itself (-1).
  explicit ParameterFieldList(int language = 2, int page_count = 0);

  int language() const { return language_; }
  int page_count() const { return page_count_; }
  // One more tab page (the fields already there stay where they are);
  // returns its index.
  int add_page() { return page_count_++; }

  // Creates a field on the descriptor's page (or the given one). A page
  // beyond the window's pages fails with -1 and creates nothing, except for a
  // hidden value, which needs no page. Returns the field's position.
  int add(const ParameterDescriptor& descriptor);
  int add(ParameterDescriptor descriptor, int page);

  std::size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  ParameterField& at(std::size_t position) { return *fields_.at(position); }
  const ParameterField& at(std::size_t position) const { return *fields_.at(position); }
  // The first field with that control id; nullptr when there is none.
  ParameterField* field(int control_id);
  const ParameterField* field(int control_id) const;
  // The window rules' shortcuts by control id; nothing for an unknown id.
  void show_on_page(int control_id, bool on);
  void enable(int control_id, bool on);
  // The stored value of a choice (or the list line); -1 for an unknown id.
  int integer(int control_id) const;
  // Position of a field in table order; -1 when it is not in this list.
  int position_of(const ParameterField& field) const;

  // The block addresses the fields use, in order of first appearance.
  std::vector<int> blocks() const;
  // The fields a decode or encode of this block touches, in table order.
  std::vector<int> block_fields(int block) const;
  // Largest offset + size over the fields of the block; 0 when none.
  int block_length(int block) const;
  int block_words(int block) const { return (block_length(block) + 1) / 2; }

  // Sets every field of the block from bytes (offset 0 = first byte of the
  // block). A field whose bytes are not all there is left as it was; the
  // result is then -1, else 0. Decoding is never a user change.
  int decode(int block, std::span<const std::uint8_t> bytes, ChangeOrigin origin = ChangeOrigin::kDecode);
  // block_length bytes, zero-filled, then filled from every field of the block.
  std::vector<std::uint8_t> encode(int block) const;
  // The register image: encode padded with a zero byte to whole registers.
  std::vector<std::uint8_t> register_image(int block) const;

  // Value texts become reference texts (not for charts and grids).
  void commit();
  // Positions of the fields whose value text differs from the reference.
  std::vector<int> changed_fields() const;
  bool has_changes() const { return !changed_fields().empty(); }
  // Re-sets every "f" or "auto" field (charts excepted) from its own number,
  // re-applying limits and format.
  void normalise();
  // 1..4 on every field; -1 and nothing changes otherwise.
  int set_language(int language);

  // Observes every field, present and future.
  void add_observer(FieldObserver* observer);
  void remove_observer(FieldObserver* observer);

  // Iteration in table order over ParameterField&.
  template <typename Base, typename Field>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ParameterField;
    using difference_type = std::ptrdiff_t;
    using pointer = Field*;
    using reference = Field&;
    Iterator() = default;
    explicit Iterator(Base it) : it_(it) {}
    reference operator*() const { return **it_; }
    pointer operator->() const { return it_->get(); }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++it_;
      return old;
    }
    bool operator==(const Iterator& other) const { return it_ == other.it_; }

   private:
    Base it_{};
  };
  using iterator = Iterator<std::vector<std::unique_ptr<ParameterField>>::iterator, ParameterField>;
  using const_iterator =
      Iterator<std::vector<std::unique_ptr<ParameterField>>::const_iterator, const ParameterField>;
  iterator begin() { return iterator(fields_.begin()); }
  iterator end() { return iterator(fields_.end()); }
  const_iterator begin() const { return const_iterator(fields_.begin()); }
  const_iterator end() const { return const_iterator(fields_.end()); }

 private:
  void decode_field(ParameterField& field, std::span<const std::uint8_t> bytes, ChangeOrigin origin,
                    bool& complete);
  void encode_field(const ParameterField& field, std::span<std::uint8_t> bytes) const;

  int language_;
  int page_count_;
  std::vector<std::unique_ptr<ParameterField>> fields_;
  std::vector<FieldObserver*> observers_;
};

}  // namespace orvadw
