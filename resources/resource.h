// Resource ids of "Velmaric AE.ocx". Plain numbers only, so that the resource
// script, the Windows code and the portable code can all include this file.
#ifndef VELMARIC_RESOURCES_RESOURCE_H
#define VELMARIC_RESOURCES_RESOURCE_H

// Strings: type names and page captions.
#define IDS_VELMARICAE              1      // "VelmaricAE Control"
#define IDS_VELMARICAE_PPG          2      // "VelmaricAE Property Page"
#define IDS_VELMARICAE_PPG_CAPTION  200    // "General"
#define IDS_SEVERITY_PPG            49152  // "Severities / color map"
#define IDS_COLUMNS_PPG             49153  // "Column widths and positions"
#define IDS_HIDE_PPG                49154  // "Run-mode functions enablement"

// Toolbox bitmap, type library, version block, manifest.
#define IDB_VELMARICAE              1
#define IDR_TYPELIB                 1
#define IDR_VERSION                 1
#define IDR_MANIFEST                2      // ISOLATIONAWARE_MANIFEST_RESOURCE_ID

// Dialog templates.
#define IDD_PROPPAGE_VELMARICAE     201    // General page
#define IDD_PROPPAGE_COLUMNS        202    // Columns page
#define IDD_PROPPAGE_SEVERITY       203    // Severity page
#define IDD_FIND                    205    // Find dialog
#define IDD_PROPPAGE_HIDE           207    // Run-mode functions page

// Group cursor shown over a header border.
#define IDC_SIZE_COLUMN             204

// Controls.
#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif
#define IDC_FIND_TEXT               206
#define IDC_ADD_NEW_EVENTS_TO_BOTTOM 208
#define IDC_LOCALIZE_TIMESTAMPS     210
#define IDC_WATCHDOG_TIMEOUT        211
#define IDC_SUPPRESS_ACKN_EVENTS    213
#define IDC_SUPPRESS_RESET_EVENTS   214
#define IDC_FIELD_ORDER             215    // hidden edit carrying FieldOrder
#define IDC_FIELD0_WIDTH            216    // Rank
#define IDC_FIELD1_WIDTH            217    // Timestamp
#define IDC_FIELD2_WIDTH            218    // Source
#define IDC_FIELD3_WIDTH            219    // Message
#define IDC_FIELD4_WIDTH            220    // Category
#define IDC_FIELD5_WIDTH            221    // Severity
#define IDC_SEVERITY_A              222
#define IDC_SEVERITY_B              223
#define IDC_SEVERITY_C              224
#define IDC_SEVERITY_D              225
#define IDC_SEVERITY_E              226
#define IDC_ORDER_LIST              227
#define IDC_MOVE_UP                 228
#define IDC_MOVE_DOWN               229
#define IDC_HIDE_CONNECTION         230
#define IDC_HIDE_CLEAR_ALL          231
#define IDC_HIDE_RESET              232
#define IDC_DISABLE_SIZING          233

// Context-menu commands; the string table holds each one's prompt under the same id.
#define ID_REFRESH_EVENTS           32768
#define ID_CLEAR_ALL                32769
#define ID_CONNECT                  32770
#define ID_DISCONNECT               32771
#define ID_SORT_ASCENDING           32772
#define ID_SORT_DESCENDING          32773
#define ID_FIND                     32774
#define ID_REPEAT_FIND              32775
#define ID_ABOUT                    32776
#define ID_RESET_PROPERTIES         32777

#endif
