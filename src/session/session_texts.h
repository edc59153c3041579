// The texts the session decides: what the shells show and log, word for word.
#pragma once

namespace tessaril {

inline constexpr const char* kBusyText = "Please wait for the running process.";
inline constexpr const char* kStopQuestionText = "Are you sure to stop the running process?";
inline constexpr const char* kSelectedForRecoveryText = " File is selected for recovery....";
inline constexpr const char* kBrowseFilePathText = "Browse File Path:\t";
inline constexpr const char* kAdvancedModeText = "Advanced mode is selected for file recovery.";
inline constexpr const char* kStandardModeText = "Standard mode is selected for file recovery.";
inline constexpr const char* kScanStartsText = "Scanning of file starts...";
inline constexpr const char* kScanAbortedText = "Scanning process aborted.";
inline constexpr const char* kNoObjectsText =
    "Either it is not valid mdf file or highly corrupted, select another file to recover.";
inline constexpr const char* kVersionLinePrefix = "Database version: ";
inline constexpr const char* kCollationLinePrefix = "Collation Type: ";
inline constexpr const char* kUnknownCollationText = "Unknown Collation";
inline constexpr const char* kRepairDatabaseName = "RepairDataBase";
inline constexpr const char* kTreeFailedText =
    "Whether it is not valid mdf file or highly corrupted, select another file to recover.";
inline constexpr const char* kScanCompletedCaption = "Scanning completed for selected mdf file";
inline constexpr const char* kScanCompletedLine = "Scanning completed for selected mdf file.";
inline constexpr const char* kScanProcessCompletedText = "Scanning process completed.";
// A scan stopped by the user: what was read so far stays in use, and it is
// not reported as completed.
inline constexpr const char* kScanStoppedCaption = "Scanning stopped for selected mdf file";
inline constexpr const char* kScanStoppedLine =
    "Scanning stopped: the tables show what was read before the stop.";
inline constexpr const char* kSavingSnapshotText = "Saving Snapshot..Please wait....";
inline constexpr const char* kSnapshotSavedText = "Snapshot Saved successfully in path ";
inline constexpr const char* kSnapshotNotSavedText = "Snapshot cannot be saved.";
inline constexpr const char* kNothingToSaveText =
    "No scan has read a data file yet: open one before saving a snapshot.";
inline constexpr const char* kUnsupportedPageSizeText =
    "This file was written with 2 KB pages (SQL Server 6.5 or older), which cannot be read.";

inline constexpr const char* kStopToContinueText =
    "Please stop the running process to continue the process.";
inline constexpr const char* kStopToCloseText =
    "Please stop the running process to close the application.";
inline constexpr const char* kCloseQuestionText = "Do you want to close the application?";
inline constexpr const char* kLogFilePathPrefix = "Log file path : ";
inline constexpr const char* kSelectFolderText = "Please select folder to save the database";
inline constexpr const char* kSelectDatabaseFileText =
    "Please select database file to scan records.";
inline constexpr const char* kSelectMdfCaptionText =
    "Select MDF database file to continue the recovery process.";

}  // namespace tessaril
