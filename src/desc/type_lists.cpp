// The field type lists. They are constant tables, initialised before any
// code of the library runs, so every list box filled from them shows the
// current language's names: the texts are fetched at each fill.
#include "desc/type_lists.h"

#include "frame/library.h"

namespace vqdesc {
namespace {

constexpr CVQListTable::Row kEncodeRows[] = {
    {0, 2100}, {1, 2101}, {2, 2102}, {3, 2103}, {4, 2104},
    {5, 2105}, {6, 2106}, {7, 2107}, {8, 2108},
};
constexpr CVQListTable::Row kKindRows[] = {
    {0, 2200}, {1, 2201}, {2, 2202}, {3, 2203}, {4, 2204}, {5, 2205},
};
constexpr CVQListTable::Row kDataJustRows[] = {{0, 2400}, {2, 2402}};
constexpr CVQListTable::Row kDispJustRows[] = {{0, 2400}, {1, 2401}, {2, 2402}};

} // namespace

const CVQListBox lbEncodeTypes(kEncodeRows, &theLibrary);
const CVQListBox lbContentTypes(kKindRows, &theLibrary);
const CVQListBox lbDisplayTypes(kKindRows, &theLibrary);
const CVQListBox lbDataJustTypes(kDataJustRows, &theLibrary);
const CVQListBox lbDispJustTypes(kDispJustRows, &theLibrary);

} // namespace vqdesc
