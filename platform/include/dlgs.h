/*
 * Control ids of the common dialogs, with the values of the Win32 header,
 * for callers and scripts that reach a common dialog's controls by id.
 * Only the ids our dialogs use are here.
 */
#ifndef VQWIN_DLGS_H
#define VQWIN_DLGS_H

#define stc1 0x0440 /* save dialog: the current folder */
#define stc2 0x0441 /* save dialog: "Save as type" label */
#define stc3 0x0442 /* save dialog: "File name" label */
#define stc4 0x0443 /* save dialog: "Save in" label */
#define lst1 0x0460 /* save dialog: subfolders and files */
#define cmb1 0x0470 /* save dialog: file types */
#define cmb4 0x0473 /* print dialog: printers */
#define edt1 0x0480 /* save dialog: file name */

#endif
