#pragma once
// The templates the ui tests build dialogs from: 9001, a gallery of every
// kind of field, and 9002, a tab page.
namespace orvadw::test {

inline constexpr int kGalleryTemplate = 9001;
inline constexpr int kPageTemplate = 9002;

void register_test_templates();

}  // namespace orvadw::test
