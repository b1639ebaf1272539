#include "main_dialog.h"

#include "input_reader.h"
#include "preview_text.h"
#include "res/resource.h"

#include "win32/ansi_path.h"
#include "win32/file_dialog.h"
#include "win32/paint_dc.h"
#include "win32/win_app.h"

using namespace win32;

namespace {

// Texts in code page 1250: "Nie wskazano pliku wejściowego", "Nie wskazano
// pliku wyjściowego".
constexpr const char* kNoInputFile = "Nie wskazano pliku wej\x9C"
                                     "ciowego";
constexpr const char* kNoOutputFile = "Nie wskazano pliku wyj\x9C"
                                      "ciowego";

// Both file dialogs: one entry for every file; the initial name is the
// program's long-standing argument. A bare name typed into the output chooser
// becomes a batch file.
constexpr const char* kFileFilter = "Wszystkie pliki (*.*)|*.*||";
// The input chooser's default extension, as the program has always passed it.
// That chooser returns only an existing file, whose name is then kept as it is.
constexpr const char* kDefaultExtension = "Wybierz plik";
constexpr const char* kOutputDefaultExtension = "wsd";
constexpr const char* kInitialFileName = "*.*";
constexpr DWORD kInputFileFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
constexpr DWORD kOutputFileFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

constexpr const char* kOutputExtension = ".wsd";

constexpr int kSeparatorSpace = 3;

bool IsTicked(const CButton& checkBox) {
    return checkBox.GetCheck() == BST_CHECKED;
}

// KERG and ZUDP exclude each other. The clicked option's box has toggled
// already: ticked, it clears the other option, disables the other number box
// and moves the focus into its own; unticked, it disables its own number box.
// A disabled number box keeps its text.
void ApplyOptionClick(const CButton& check, const CEdit& number, const CButton& otherCheck,
                      const CEdit& otherNumber) {
    if (check.GetCheck() != BST_UNCHECKED) {
        otherCheck.SetCheck(BST_UNCHECKED);
        otherNumber.EnableWindow(FALSE);
        number.EnableWindow(TRUE);
        number.SetFocus();
    } else {
        number.EnableWindow(FALSE);
    }
}

} // namespace

CVelmoraDlg::CVelmoraDlg(CWnd* pParent) : CDialog(IDD_MAIN_DIALOG, pParent) {
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CVelmoraDlg::~CVelmoraDlg() = default;

void CVelmoraDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INPUT_PATH, m_editInputPath);
    DDX_Control(pDX, IDC_BROWSE_INPUT, m_btnBrowseInput);
    DDX_Control(pDX, IDC_LAYOUT, m_comboLayout);
    DDX_Control(pDX, IDC_SEPARATOR, m_comboSeparator);
    DDX_Control(pDX, IDC_PREVIEW, m_editPreview);
    DDX_Control(pDX, IDC_OUTPUT_PATH, m_editOutputPath);
    DDX_Control(pDX, IDC_BROWSE_OUTPUT, m_btnBrowseOutput);
    DDX_Control(pDX, IDC_POINT_CODE, m_comboPointCode);
    DDX_Control(pDX, IDC_KERG_CHECK, m_checkKerg);
    DDX_Control(pDX, IDC_KERG_NUMBER, m_editKerg);
    DDX_Control(pDX, IDC_ZUDP_NUMBER, m_editZudp);
    DDX_Control(pDX, IDC_ZUDP_CHECK, m_checkZudp);
}

std::span<const MessageMapEntry> CVelmoraDlg::GetMessageMap() const {
    static constexpr MessageMapEntry kMessageMap[] = {
        OnWmSysCommand<&CVelmoraDlg::OnSysCommand>(),
        OnWmPaint<&CVelmoraDlg::OnPaint>(),
        OnWmQueryDragIcon<&CVelmoraDlg::OnQueryDragIcon>(),
        OnWmDropFiles<&CVelmoraDlg::OnDropFiles>(),
        OnBnClicked<&CVelmoraDlg::OnBnClickedBrowseInput>(IDC_BROWSE_INPUT),
        OnBnClicked<&CVelmoraDlg::OnBnClickedBrowseOutput>(IDC_BROWSE_OUTPUT),
        OnBnClicked<&CVelmoraDlg::OnBnClickedClose>(IDOK),
        OnBnClicked<&CVelmoraDlg::OnBnClickedGenerate>(IDC_GENERATE),
        OnBnClicked<&CVelmoraDlg::OnBnClickedKerg>(IDC_KERG_CHECK),
        OnCbnSelchange<&CVelmoraDlg::OnCbnSelchangeLayout>(IDC_LAYOUT),
        OnBnClicked<&CVelmoraDlg::OnBnClickedZudp>(IDC_ZUDP_CHECK),
    };
    return kMessageMap;
}

BOOL CVelmoraDlg::PreTranslateMessage(MSG* pMsg) {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        m_toolTip.RelayEvent(pMsg);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CVelmoraDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    EnableToolTips(TRUE);

    // Tool tips: every control with an ID, in tab order; the text is the
    // string resource of the same number, where there is one.
    m_toolTip.Create(*this, 0);
    m_toolTip.Activate(TRUE);
    for (CWnd child = GetWindow(GW_CHILD); child.GetSafeHwnd() != nullptr;
         child = child.GetWindow(GW_HWNDNEXT)) {
        if (const int id = child.GetDlgCtrlID(); id != -1) {
            m_toolTip.AddTool(child, static_cast<UINT>(id));
        }
    }

    if (const HMENU systemMenu = GetSystemMenu(FALSE); systemMenu != nullptr) {
        char aboutText[256];
        if (::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, aboutText, sizeof aboutText) > 0) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    for (int i = 0; i < m_catalogue.GetLayoutCount(); ++i) {
        m_comboLayout.InsertString(i, m_catalogue.GetLayoutName(i));
    }
    m_comboLayout.SetCurSel(0);

    for (int i = 0; i < m_catalogue.GetSeparatorCount(); ++i) {
        m_comboSeparator.InsertString(i, m_catalogue.GetSeparatorName(i));
    }
    m_comboSeparator.SetCurSel(kSeparatorSpace);

    int codes = 0;
    for (; codes < m_catalogue.GetCodeCount(); ++codes) {
        m_comboPointCode.InsertString(codes, m_catalogue.GetCode(codes));
    }
    if (codes > 0) {
        m_comboPointCode.SetCurSel(0);
    }

    m_strLastPath.clear();
    m_checkKerg.SetCheck(BST_UNCHECKED);
    // Files dragged onto the dialog or any of its controls: none of them takes drops itself.
    DragAcceptFiles(TRUE);
    return TRUE;
}

void CVelmoraDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

// Minimised, the dialog draws its icon in the middle of its client area.
void CVelmoraDlg::OnPaint() {
    if (IsIconic()) {
        const CPaintDC dc(*this);
        SendMsg(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = ::GetSystemMetrics(SM_CXICON);
        const int cyIcon = ::GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        const int x = (rect.right - rect.left - cxIcon + 1) / 2;
        const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CVelmoraDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

// A file dropped on the dialog is taken as if it had been chosen with the
// input button; of several, the first.
void CVelmoraDlg::OnDropFiles(HDROP drop) {
    if (const std::string path = DragQueryPath(drop, 0); !path.empty()) {
        TakeInputFile(path);
    }
}

void CVelmoraDlg::OnBnClickedBrowseInput() {
    CFileDialog dialog(TRUE, kDefaultExtension, kInitialFileName, kInputFileFlags, kFileFilter);
    dialog.m_ofn.lpstrInitialDir = m_strLastPath.c_str();
    if (dialog.DoModal() == IDOK) {
        TakeInputFile(dialog.GetPathName());
    }
}

void CVelmoraDlg::TakeInputFile(const std::string& path) {
    m_editInputPath.SetText(path);
    m_editOutputPath.SetText(path + kOutputExtension);
    m_strLastPath = path;

    velmora::CInputReader reader(path);
    if (reader.IsOpen()) {
        const std::string preview = LimitPreviewLines(reader.ReadPreview());
        m_editPreview.SetSel(0, -1);
        m_editPreview.SetText(preview);
        m_editPreview.SetSel(-1, -1);
    } else {
        AfxMessageBox(velmora::kOpenFailedText + path, MB_OKCANCEL);
    }
}

void CVelmoraDlg::OnBnClickedBrowseOutput() {
    CFileDialog dialog(TRUE, kOutputDefaultExtension, kInitialFileName, kOutputFileFlags,
                       kFileFilter);
    dialog.m_ofn.lpstrInitialDir = m_strLastPath.c_str();
    if (dialog.DoModal() == IDOK) {
        m_editOutputPath.SetText(dialog.GetPathName());
    }
}

void CVelmoraDlg::OnBnClickedClose() {
    OnOK();
}

void CVelmoraDlg::OnBnClickedGenerate() {
    velmora::GenerationRequest request;
    request.inputPath = m_editInputPath.GetText();
    if (request.inputPath.empty()) {
        AfxMessageBox(kNoInputFile, MB_OK);
        m_btnBrowseInput.SetFocus();
        return;
    }
    request.outputPath = m_editOutputPath.GetText();
    if (request.outputPath.empty()) {
        AfxMessageBox(kNoOutputFile, MB_OK);
        m_editOutputPath.SetFocus();
        return;
    }
    request.layoutIndex = m_comboLayout.GetCurSel();
    request.separatorIndex = m_comboSeparator.GetCurSel();
    request.codeIndex = m_comboPointCode.GetCurSel();
    request.codeText = m_comboPointCode.GetLBText(request.codeIndex);
    if (IsTicked(m_checkKerg)) {
        request.kergText = m_editKerg.GetText();
    }
    if (IsTicked(m_checkZudp)) {
        request.zudpText = m_editZudp.GetText();
    }

    if (velmora::RunGeneration(request, *this) == velmora::GenerationOutcome::Generated) {
        m_editInputPath.SetText("");
        m_editOutputPath.SetText("");
        m_editPreview.SetText("");
        m_editKerg.SetText("");
        m_editZudp.SetText("");
    }
}

void CVelmoraDlg::OnBnClickedKerg() {
    ApplyOptionClick(m_checkKerg, m_editKerg, m_checkZudp, m_editZudp);
}

// Does nothing: the layout is read when "Generuj" is pressed.
void CVelmoraDlg::OnCbnSelchangeLayout() {}

void CVelmoraDlg::OnBnClickedZudp() {
    ApplyOptionClick(m_checkZudp, m_editZudp, m_checkKerg, m_editKerg);
}

void CVelmoraDlg::ShowMessage(const std::string& text) {
    AfxMessageBox(text, MB_OK);
}

void CVelmoraDlg::BeginWait() {
    BeginWaitCursor();
}

void CVelmoraDlg::EndWait() {
    EndWaitCursor();
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
