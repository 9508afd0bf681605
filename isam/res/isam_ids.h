// Resource ids of the engine's own strings: the shown name of key
// partition type code c is string IDS_KEYTYPE_BASE + c.
#ifndef VQ_ISAM_RES_IDS_H
#define VQ_ISAM_RES_IDS_H

#define IDS_KEYTYPE_BASE 200
#define IDS_KEYTYPE_TEXT 200
#define IDS_KEYTYPE_TEXTNOCASE 201
#define IDS_KEYTYPE_UNSIGNED 202
#define IDS_KEYTYPE_SIGNED 203
#define IDS_KEYTYPE_FLOAT 204
#define IDS_KEYTYPE_DOUBLE 205
#define IDS_KEYTYPE_DIGITS 206

#endif
