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

class CVelmoraDlg : public CDialog, private velmora::GenerationFeedback {
public:
    explicit CVelmoraDlg(CWnd* pParent = nullptr);
    ~CVelmoraDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    std::span<const MessageMapEntry> GetMessageMap() const override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    void OnBnClickedBrowseInput();
    void OnBnClickedBrowseOutput();
    void OnBnClickedClose();
    void OnBnClickedGenerate();
    void OnBnClickedKerg();
    void OnCbnSelchangeLayout();
    void OnBnClickedZudp();

    // What the generation shows the user: message boxes and the wait cursor.
    void ShowMessage(const std::string& text) override;
    void BeginWait() override;
    void EndWait() override;

    HICON m_hIcon = nullptr;
    CEdit m_editInputPath;
    CButton m_btnBrowseInput;
    CComboBox m_comboLayout;
    CComboBox m_comboSeparator;
    CEdit m_editPreview;
    CEdit m_editOutputPath;
    CButton m_btnBrowseOutput;
    CComboBox m_comboPointCode;
    // The input file chosen last: where both file dialogs open.
    std::string m_strLastPath;
    velmora::CCatalogue m_catalogue;
    CToolTipCtrl m_toolTip;
    CButton m_checkKerg;
    CEdit m_editKerg;
    CEdit m_editZudp;
    CButton m_checkZudp;
};

// The About box of the system menu.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
