#pragma once
// The program's working window: input file with its preview, layout and
// separator, output file, point code, KERG or ZUDP number, and "Generuj".

#include "catalogue.h"
#include "generation.h"

#include "win32/button.h"
#include "win32/combo_box.h"
#include "win32/dialog.h"
#include "win32/edit.h"
#include "win32/tool_tip_ctrl.h"

#include <string>

class CVelmoraDlg : public win32::CDialog, private velmora::GenerationFeedback {
public:
    explicit CVelmoraDlg(win32::CWnd* pParent = nullptr);
    ~CVelmoraDlg() override;

protected:
    void DoDataExchange(win32::CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    std::span<const win32::MessageMapEntry> GetMessageMap() const override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDropFiles(HDROP drop);

    void OnBnClickedBrowseInput();
    void OnBnClickedBrowseOutput();
    void OnBnClickedClose();
    void OnBnClickedGenerate();
    void OnBnClickedKerg();
    void OnCbnSelchangeLayout();
    void OnBnClickedZudp();

    // Takes path as the input file: the path boxes, the remembered path and
    // the preview, or the open error.
    void TakeInputFile(const std::string& path);

    // What the generation shows the user: message boxes and the wait cursor.
    void ShowMessage(const std::string& text) override;
    void BeginWait() override;
    void EndWait() override;

    HICON m_hIcon = nullptr;
    win32::CEdit m_editInputPath;
    win32::CButton m_btnBrowseInput;
    win32::CComboBox m_comboLayout;
    win32::CComboBox m_comboSeparator;
    win32::CEdit m_editPreview;
    win32::CEdit m_editOutputPath;
    win32::CButton m_btnBrowseOutput;
    win32::CComboBox m_comboPointCode;
    // The input file chosen last: where both file dialogs open.
    std::string m_strLastPath;
    velmora::CCatalogue m_catalogue;
    win32::CToolTipCtrl m_toolTip;
    win32::CButton m_checkKerg;
    win32::CEdit m_editKerg;
    win32::CEdit m_editZudp;
    win32::CButton m_checkZudp;
};

// The About box of the system menu.
class CAboutDlg : public win32::CDialog {
public:
    CAboutDlg();
};
