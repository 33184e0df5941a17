#pragma once

// Object names of the auxiliary works journal and its entry editor and of
// their controls; tests find the controls by them.
namespace tabel::names {

inline constexpr const char *auxJournalWindow = "TForm25";
inline constexpr const char *auxJournalGrid = "DBGrid1";
inline constexpr const char *auxJournalAdd = "Button5";
inline constexpr const char *auxJournalChange = "Button6";
inline constexpr const char *auxJournalDelete = "Button7";
inline constexpr const char *auxJournalRecalculate = "Button1";
inline constexpr const char *auxJournalDate = "DTPcker1";
inline constexpr const char *auxJournalDayOff = "CBox1";
inline constexpr const char *auxJournalExit = "Button8";

inline constexpr const char *auxEntryWindow = "TForm24";
inline constexpr const char *auxEntryFrame = "GroupBox1";
inline constexpr const char *auxEntryWorker = "Edit1";
inline constexpr const char *auxEntryWorkerPick = "Button3";
inline constexpr const char *auxEntryNomenclature = "Edit2";
inline constexpr const char *auxEntryNomenclaturePick = "Button4";
inline constexpr const char *auxEntryKind = "cb_type_work";
inline constexpr const char *auxEntryHours = "Edit6";
inline constexpr const char *auxEntryRate = "DBEdit1";
inline constexpr const char *auxEntrySum = "DBEdit2";
inline constexpr const char *auxEntryNight = "CBox1";
inline constexpr const char *auxEntrySave = "Button1";
inline constexpr const char *auxEntryExit = "Button6";

} // namespace tabel::names
