#pragma once
#include "Vezedad/dialogs/DialogEnums.h"
#include "Vezedad/dialogs/StdFont.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

namespace Vezedad {

class GCommonDialog;

// The property-style common dialog: set properties, call a Show method, read
// the user's choices from the same properties. A dialog that fails raises
// 13450 Or its extended error code; a cancel raises 20001 when CancelError is
// set. Both come from "Vezedad.cCommonDialog".
//
// With HookDialog set, the dialog reports what happens on screen through the
// signals below. The members named Raise... are what the dialog calls to
// raise them; an owner may call them too.
class VEZEDAD_EXPORT cCommonDialog : public QObject {
    Q_OBJECT
public:
    explicit cCommonDialog(QObject* parent = nullptr);
    ~cCommonDialog() override;

    void RaiseWMCommand(qint32 hDlg, qint32& wParam, qint32& lParam);
    // Splits FileName into its folder and file names. sFiles[k] holds file
    // k + 1; counting goes on from the iFileCount given, and the first part
    // of a multi-select result is the folder only while sDir is "".
    void ParseMultiFileName(QString& sDir, QStringList& sFiles, qint32& iFileCount) const;
    void RaiseDialogClose();
    qint32 RaiseTypeChange(qint32 hDlg);
    qint32 RaiseInitDialog(qint32 hDlg);
    qint32 RaiseFileChange(qint32 hDlg);
    qint32 RaiseFolderChange(qint32 hDlg);
    // Raises DialogOK; false when a handler set bCancel (the dialog stays
    // open).
    bool ConfirmOK();
    // Centres the dialog window hDlg on the window of oCentreTo (an object
    // with a readable hWnd property, or a widget), or else on the desktop's
    // work area.
    void CentreDialog(qint32 hDlg, QObject* oCentreTo);
    void GetDialogSize(qint32 hDlg, qint32& lL, qint32& lT, qint32& lW, qint32& lH) const;
    // There is no help window to place: the desktop's viewer shows the help
    // file where it chooses.
    void SetHelpPosition(qint32 x, qint32 y, qint32 dx, qint32 dy, qint32 eWindowType);

    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool value) { m_cancelError = value; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& value) { m_fileName = value; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString& value) { m_filter = value; }
    qint32 FilterIndex() const { return m_filterIndex; }
    void setFilterIndex(qint32 value) { m_filterIndex = value; }
    qint32 Color() const { return m_color; }
    void setColor(qint32 value) { m_color = value; }
    qint32 Copies() const { return m_copies; }
    void setCopies(qint32 value) { m_copies = value; }
    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& value) { m_defaultExt = value; }
    QString DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString& value) { m_dialogTitle = value; }
    qint32 Flags() const { return m_flags; }
    void setFlags(qint32 value) { m_flags = value; }
    bool FontBold() { return Font()->Bold(); }
    void setFontBold(bool value) { Font()->setBold(value); }
    bool FontItalic() { return Font()->Italic(); }
    void setFontItalic(bool value) { Font()->setItalic(value); }
    QString FontName() { return Font()->Name(); }
    void setFontName(const QString& value) { Font()->setName(value); }
    qint32 FontSize();
    void setFontSize(qint32 value) { Font()->setSize(value); }
    bool FontStrikethru() { return Font()->Strikethrough(); }
    void setFontStrikethru(bool value) { Font()->setStrikethrough(value); }
    bool FontUnderline() { return Font()->Underline(); }
    void setFontUnderline(bool value) { Font()->setUnderline(value); }
    // Made on first use; a font set here is kept as that same object.
    StdFontPtr Font();
    void setFont(const StdFontPtr& value) { m_font = value; }
    qint32 FontColor() const { return m_fontColor; }
    void setFontColor(qint32 value) { m_fontColor = value; }
    qint32 FromPage() const { return m_fromPage; }
    void setFromPage(qint32 value) { m_fromPage = value; }
    qint32 hWnd() const { return m_hWnd; }
    void sethWnd(qint32 value) { m_hWnd = value; }
    qint32 HelpCommand() const { return m_helpCommand; }
    void setHelpCommand(qint32 value) { m_helpCommand = value; }
    QString HelpContext() const { return m_helpContext; }
    void setHelpContext(const QString& value) { m_helpContext = value; }
    QString HelpFile() const { return m_helpFile; }
    void setHelpFile(const QString& value) { m_helpFile = value; }
    QString HelpKey() const { return m_helpKey; }
    void setHelpKey(const QString& value) { m_helpKey = value; }
    QString InitDir() const { return m_initDir; }
    void setInitDir(const QString& value) { m_initDir = value; }
    qint32 Max() const { return m_max; }
    void setMax(qint32 value) { m_max = value; }
    qint32 MaxFileSize() const { return m_maxFileSize; }
    void setMaxFileSize(qint32 value) { m_maxFileSize = value; }
    qint32 Min() const { return m_min; }
    void setMin(qint32 value) { m_min = value; }
    // ShowPrinter gives it Copies, Orientation, PaperSize and PrintQuality.
    QObject* Object() const { return m_object; }
    void setObject(QObject* value) { m_object = value; }
    qint16 PrinterDefault() const { return m_printerDefault; }
    void setPrinterDefault(qint16 value) { m_printerDefault = value; }
    QString PrinterName() const;
    QString PrinterDriver() const;
    QString PrinterOutputPort() const;
    qint32 ToPage() const { return m_toPage; }
    void setToPage(qint32 value) { m_toPage = value; }
    QString FileTitle() const { return m_fileTitle; }
    void setFileTitle(const QString& value) { m_fileTitle = value; }
    qint32 CustomColor(qint16 i);
    void setCustomColor(qint16 i, qint32 value);

    void ShowOpen();
    void ShowSave();
    void ShowColor();
    void ShowFont();
    void ShowPrinter();
    // Opens HelpFile with the desktop's viewer for every command but
    // HELP_MULTIKEY and HELP_SETWINPOS, which raise 13705; HELP_QUIT has
    // nothing to close.
    void ShowHelp();

    bool HookDialog() const { return m_hookDialog; }
    void setHookDialog(bool value) { m_hookDialog = value; }
    // Dialog templates mean nothing to these dialogs; a library loaded here
    // is only held until cdFreeLibrary.
    qint32 hInstance() const { return m_hInstance; }
    void sethInstance(qint32 value) { m_hInstance = value; }
    void cdLoadLibrary(const QString& DllName);
    void cdFreeLibrary();
    qint32 TemplateName() const { return m_templateName; }
    void setTemplateName(qint32 value) { m_templateName = value; }

Q_SIGNALS:
    void InitDialog(qint32 hDlg);
    void FileChange(qint32 hDlg);
    void FolderChange(qint32 hDlg);
    void DialogOK(bool& bCancel);
    void TypeChange(qint32 hDlg);
    void DialogClose();
    void WMCommand(qint32 hDlg, qint32& wParam, qint32& lParam);

private:
    GCommonDialog& dialogs();
    bool flagSet(qint32 value) const { return (m_flags & value) == value; }
    void CheckResult();
    void runFileDialog(bool save);
    QWidget* dialogWindow(qint32 hDlg) const;

    std::unique_ptr<GCommonDialog> m_dialogs;
    QString m_filter;
    QString m_fileName;
    QString m_fileTitle;
    QString m_defaultExt;
    QString m_dialogTitle;
    QString m_initDir;
    QString m_helpFile;
    QString m_helpKey;
    QString m_helpContext;
    qint32 m_filterIndex = 1;
    qint32 m_color = 0;
    qint32 m_fontColor = 0;
    qint32 m_copies = 0;
    qint32 m_flags = 0;
    qint32 m_fromPage = 0;
    qint32 m_toPage = 0;
    qint32 m_min = 0;
    qint32 m_max = 0;
    qint32 m_maxFileSize = 0;
    qint32 m_hWnd = 0;
    qint32 m_helpCommand = 0;
    qint32 m_hInstance = 0;
    qint32 m_templateName = 0;
    qint16 m_printerDefault = 0;
    bool m_cancelError = false;
    bool m_hookDialog = false;
    bool m_fileDialog = false;
    qint32 m_hdc = 0;
    StdFontPtr m_font;
    QPointer<QObject> m_object;
};

} // namespace Vezedad
