#pragma once

#include <QString>

// The uniform "Application Error" report: what failed, where, at which line label, and whom to tell.
namespace ErrorReport {

inline constexpr const char* kTitle = "Application Error";
inline constexpr const char* kSupportAddress = "support@stillpress.org";

// Location texts of the trapped procedures.
inline constexpr const char* kFormLoad = "in FRAMEVIS2021/08/31.Form1.Form_Load ";
inline constexpr const char* kAddFiles = "in FRAMEVIS2021/08/31.Form1.PushButton1_Click ";
inline constexpr const char* kConversionRun = "in FRAMEVIS2021/08/31.Form1.PushButton2_Click ";
inline constexpr const char* kClearList = "in FRAMEVIS2021/08/31.Form1.PushButton3_Click ";
inline constexpr const char* kAddFolder = "in FRAMEVIS2021/08/31.Form1.PushButton4_Click ";
inline constexpr const char* kLoadSamples = "in FRAMEVIS2021/08/31.Form1.PushButton5_Click ";
inline constexpr const char* kBrowseOutput = "in FRAMEVIS2021/08/31.Form1.PushButton7_Click ";
inline constexpr const char* kFolderScan = "in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 ";

// The message: description, CR LF, location, "at line " label, CR CR, the request for a screenshot.
QString Compose(const QString& description, const QString& location, int lineLabel);

}  // namespace ErrorReport
