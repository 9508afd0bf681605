/*
 * Filling the texts of numbered boxes with their arguments. The texts come
 * from resource modules, which a translator edits, so a text is never
 * trusted to match what the code passes: each directive is checked against
 * the kind of the argument it takes before anything is formatted.
 */
#ifndef VQ_LIB32_BOX_FORMAT_H
#define VQ_LIB32_BOX_FORMAT_H

#include <vq_lib32.h>

#include <string>

namespace vq::lib32 {

/// Longer box texts are cut to this many characters.
constexpr size_t kMaxBoxText = 4095;

/// Fills `format` with the arguments into `out`. Returns false, with `out`
/// empty, when the format cannot be filled safely (see CVQError).
bool FormatBoxText(const char *format, const CVQBoxArg *args, UINT count, std::string &out);

} // namespace vq::lib32

#endif
