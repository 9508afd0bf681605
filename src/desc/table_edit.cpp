// Editing a table description's lists as the property sheet does: fields
// inserted, moved and renamed, keys inserted, and the flat key part
// numbers of the key list grid (key 0's parts first, then key 1's, ...)
// translated to keys and parts and back to fields.
//
// Key parts refer to fields by name only, so none of these operations
// renumbers a key part; a renamed field stops matching until the caller
// copies its new name into the parts (SetKeyFieldIndex).
#include "desc/table_desc.h"

namespace {

using namespace vqdesc;

constexpr UINT kAppendStep = 4; // at the end; one record when inserting inside

// The key holding flat part number `flat` and the part's number in it.
bool FindFlatPart(const CVQKeyDescList &keys, UINT flat, UINT &key, UINT &part) {
  ULONGLONG start = 0;
  for (UINT k = 0; keys.keys && k < keys.count; ++k) {
    const UINT parts = keys.keys[k].partCount;
    if (flat >= start && flat < start + parts) {
      key = k;
      part = static_cast<UINT>(flat - start);
      return true;
    }
    start += parts;
  }
  return false;
}

} // namespace

BOOL CVQTableDesc::InsertField(const char *fieldName, UINT *position) {
  if (!position)
    return 0;
  CVQFieldDesc field;
  CopyName(field.name, sizeof field.name, fieldName);
  const UINT p = *position;
  const UINT n = fields.fields ? fields.count : 0;
  if (p >= n) {
    if (!ReserveOne(fields, &CVQFieldDescList::fields, kAppendStep, kTableTag)) {
      theLibrary.ErrorBox(kMsgAppendField);
      return 0;
    }
    fields.fields[n] = field;
    fields.count = n + 1;
    *position = n;
    return 1;
  }
  for (UINT j = 0; j < n; ++j)
    if (CmpFieldName(fieldName, &fields.fields[j]) == 0) {
      MoveRecord(fields.fields, j, p);
      *position = p;
      return 1;
    }
  if (!ReserveOne(fields, &CVQFieldDescList::fields, 1, kTableTag)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot insert data field %u of %u into the table.",
                      p, n);
    theLibrary.ErrorBox(kMsgNoMemory);
    return 0;
  }
  fields.fields[n] = field;
  fields.count = n + 1;
  MoveRecord(fields.fields, n, p);
  *position = p;
  return 1;
}

BOOL CVQTableDesc::SetFieldName(UINT field, const char *fieldName) {
  if (!fields.fields || field >= fields.count) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag,
                      "Data field definition %d not found in table description.",
                      static_cast<int>(field));
    return 0;
  }
  CopyName(fields.fields[field].name, sizeof fields.fields[field].name, fieldName);
  return 1;
}

BOOL CVQTableDesc::InsertKey(UINT *position) {
  if (!position)
    return 0;
  CVQKeyDesc key;
  key.partCount = 1;
  const UINT p = *position;
  const UINT n = keys.keys ? keys.count : 0;
  if (p >= n) {
    if (!ReserveOne(keys, &CVQKeyDescList::keys, kAppendStep, kTableTag)) {
      theLibrary.ErrorBox(kMsgAppendKey);
      return 0;
    }
    keys.keys[n] = key;
    keys.count = n + 1;
    *position = n;
    return 1;
  }
  if (!ReserveOne(keys, &CVQKeyDescList::keys, 1, kTableTag)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot insert key field %u of %u into the table.", p,
                      n);
    theLibrary.ErrorBox(kMsgInsertKey);
    return 0;
  }
  keys.keys[n] = key;
  keys.count = n + 1;
  MoveRecord(keys.keys, n, p);
  *position = p;
  return 1;
}

UINT CVQTableDesc::KeyPartToIndex(UINT flatPart) const {
  UINT key = 0, part = 0;
  return FindFlatPart(keys, flatPart, key, part) ? key : kNotFound;
}

UINT CVQTableDesc::KeyPartToPart(UINT flatPart) const {
  UINT key = 0, part = 0;
  return FindFlatPart(keys, flatPart, key, part) ? part : kNotFound;
}

UINT CVQTableDesc::FindKeyToFieldIndex(UINT field) const {
  if (!fields.fields || field >= fields.count)
    return kNotFound;
  for (UINT k = 0; keys.keys && k < keys.count; ++k)
    if (CmpFieldName(BoundedText(keys.keys[k].parts[0].fieldName).text, &fields.fields[field]) == 0)
      return k;
  return kNotFound;
}

UINT CVQTableDesc::FindFieldToKeyIndex(UINT key, UINT part) const {
  if (!keys.keys || key >= keys.count || part >= CVQKeyDesc::kMaxParts)
    return kNotFound;
  const BoundedText partName(keys.keys[key].parts[part].fieldName);
  for (UINT i = 0; fields.fields && i < fields.count; ++i)
    if (CmpFieldName(partName.text, &fields.fields[i]) == 0)
      return i;
  return kNotFound;
}

void CVQTableDesc::SetKeyFieldIndex(UINT key, UINT part, UINT field) {
  if (!fields.fields || field >= fields.count || !keys.keys || key >= keys.count ||
      part >= CVQKeyDesc::kMaxParts)
    return;
  SVQKeyPart &p = keys.keys[key].parts[part];
  CopyName(p.fieldName, sizeof p.fieldName, BoundedText(fields.fields[field].name).text);
}
