#pragma once

// Object names of the windows and of the controls the login roles switch
// off. Windows set these names; the roles table refers to them.
namespace tabel::names {

inline constexpr const char *journalWindow = "TForm1";
inline constexpr const char *journalAdd = "addButton";
inline constexpr const char *journalEdit = "editButton";
inline constexpr const char *journalDelete = "deleteButton";
inline constexpr const char *journalShift1 = "shift1Button";
inline constexpr const char *journalShift2 = "shift2Button";
inline constexpr const char *journalShift3 = "shift3Button";
inline constexpr const char *journalShift4 = "shift4Button";
inline constexpr const char *journalDayOff = "dayOffBox";
inline constexpr const char *journalRefresh = "refreshButton";
inline constexpr const char *journalGrid = "DBGrid1";
inline constexpr const char *journalDate = "DateT";
inline constexpr const char *journalAux = "auxButton";
inline constexpr const char *journalExit = "exitButton";
inline constexpr const char *menuReference = "menuReference";
inline constexpr const char *menuTimesheet = "menuTimesheet";
inline constexpr const char *menuReports = "menuReports";

inline constexpr const char *loginWindow = "TForm23";

inline constexpr const char *entryWindow = "TForm11";
inline constexpr const char *entryFrame = "masterFrame";
inline constexpr const char *entryWorker = "workerField";
inline constexpr const char *entryWorkerPick = "workerButton";
inline constexpr const char *entryOperation = "operationField";
inline constexpr const char *entryOperationPick = "operationButton";
inline constexpr const char *entryQuantity = "quantityField";
inline constexpr const char *entryHours = "hoursField";
inline constexpr const char *entryColour = "colourField";
inline constexpr const char *entryColourLabel = "colourLabel";
inline constexpr const char *entryDate = "dateField";
inline constexpr const char *entryRejects = "rejectsField";
inline constexpr const char *entryBasePrice = "basePriceField";
inline constexpr const char *entryFinalPrice = "finalPriceField";
inline constexpr const char *entryAmount = "amountField";
inline constexpr const char *entrySave = "saveButton";
inline constexpr const char *entryCancel = "cancelButton";

inline constexpr const char *reportsWindow = "TForm18";
inline constexpr const char *reportsDetailWorkers = "detailWorkersButton";
inline constexpr const char *reportsProducts = "productsButton";
inline constexpr const char *reportsWorkers = "workersButton";
inline constexpr const char *reportsExcel = "excelButton";
inline constexpr const char *reportsKind = "kindGroup";

} // namespace tabel::names
