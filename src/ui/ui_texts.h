// The texts of the window's own elements: titles, ribbon labels and tooltips.
#pragma once

namespace tessaril::ui {

inline constexpr const char* kApplicationTitle = "Tessaril";
inline constexpr const char* kProductName = "Corvane Tessaril";
inline constexpr const char* kTreePaneTitle = "MS SQL Database Objects";
inline constexpr const char* kOutputPaneTitle = "Output";
inline constexpr const char* kRibbonCategory = "Tessaril";
inline constexpr const char* kFirstCaptionText =
    "This is a caption bar where a message can be presented to the user.";
inline constexpr const char* kAnotherInstanceText =
    "Another instance of application is already running";
inline constexpr const char* kOptionsDialogTitle = "Select Corrupted MDF file";
inline constexpr const char* kLogFolderBrowseTitle = "Select location to save Log file(s).";
inline constexpr const char* kMdfFilter = ".mdf Files (*.mdf)";
inline constexpr const char* kSchemaBrowseTitle =
    "Select another copy of the database, or the script that creates its tables";
inline constexpr const char* kSchemaFilter =
    "Copies and scripts (*.mdf *.MDF *.sql *.SQL);;All files (*)";
inline constexpr const char* kSnapshotFilter = ".VantorMDB Files (*.MDBVTR)";
inline constexpr const char* kSnapshotSuffix = "MDBVTR";
inline constexpr const char* kPreviousRecordsText = "Previous Records";
inline constexpr const char* kNextRecordsText = "Next Records";
inline constexpr const char* kWebSite = "https://tessaril.example/";
inline constexpr const char* kSupportMail = "mailto:support@tessaril.example";
inline constexpr const char* kSalesMail = "mailto:sales@tessaril.example";

}  // namespace tessaril::ui
