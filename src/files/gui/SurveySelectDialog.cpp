#include "files/gui/SurveySelectDialog.h"

#include "gui/Artwork.h"
#include "gui/GuiPrompts.h"
#include "files/NewProject.h"
#include "panel/ApTreeCtrl.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

constexpr int kRootItemData = -1;

} // namespace

std::optional<std::string> CHSDSelectDialog::ChooseSurveyFile(QWidget* parent) {
    QFileDialog dialog(parent, tr("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Wardriving logs are survey data too: a folder of them must not look empty.
    dialog.setNameFilter(QtFileFilter("Survey data (*.hsd *.csv)|*.hsd *.csv|"
                                      "Hovrin Site Survey File (*.hsd)|*.hsd|All files (*)|*||"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

CHSDSelectDialog::CHSDSelectDialog(UserPrompts& prompts, const std::vector<CDataFile>& files, bool merge,
                                   QWidget* parent)
    : QDialog(parent), chooseFile(&CHSDSelectDialog::ChooseSurveyFile), m_prompts(prompts), m_aFiles(files),
      m_nMerge(merge ? 1 : 0) {
    setObjectName("CHSDSelectDialog");
    setWindowTitle(tr("Select the Hovrin Survey Data File "));

    m_prompt = new QLabel(
        tr("Select the Hovrin Survey Data File (*.hsd) that \n you wish to base this project on"), this);
    m_prompt->setObjectName("prompt");
    m_chosen = new QLineEdit(this);
    m_chosen->setObjectName("1081");
    m_chosen->setReadOnly(true);
    m_select = new QPushButton(tr("Select"), this);
    m_select->setObjectName("1080");
    m_showSelected = new QPushButton(tr("Show Selected File"), this);
    m_showSelected->setObjectName("1088");
    m_merge = new QCheckBox(tr(" Merge File"), this);
    m_merge->setObjectName("1090");
    m_tree = new ApTreeCtrl(this);
    m_tree->setObjectName("167");
    m_tree->setMinimumSize(250, 120);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName("1");
    m_ok->setDefault(true);
    m_delete = new QPushButton(tr("Delete"), this);
    m_delete->setObjectName("1087");
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("2");
    m_select->setAutoDefault(false);
    m_showSelected->setAutoDefault(false);
    m_delete->setAutoDefault(false);
    m_cancel->setAutoDefault(false);

    // Top to bottom as on the original form: the prompt, the chosen path, the row of Select, Show
    // Selected File and the merge box, the file tree, and OK, Delete and Cancel.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_chosen);
    auto* row = new QHBoxLayout;
    row->addWidget(m_select);
    row->addWidget(m_showSelected);
    row->addStretch(1);
    row->addWidget(m_merge);
    layout->addLayout(row);
    layout->addWidget(m_tree, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addStretch(1);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(460, 340)));

    connect(m_select, &QPushButton::clicked, this, &CHSDSelectDialog::OnSelect);
    connect(m_delete, &QPushButton::clicked, this, &CHSDSelectDialog::OnDelete);
    connect(m_showSelected, &QPushButton::clicked, this, &CHSDSelectDialog::OnShowSelected);
    connect(m_merge, &QCheckBox::clicked, this, &CHSDSelectDialog::OnMerge);
    connect(m_tree, &ApTreeCtrl::tickClicked, this, &CHSDSelectDialog::OnTreeTick);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Choosing a file is the first thing to do here.
    m_select->setFocus();

    // Until files are ticked there is nothing to accept, delete or merge.
    m_ok->setEnabled(false);
    m_delete->setEnabled(false);
    m_merge->setEnabled(false);
    m_showSelected->setVisible(false);
    if (m_aFiles.empty()) return;
    // The files of the previous project are listed at once: OK and Delete act on the ticked files,
    // and a file that is acted on must never be hidden from the user.
    m_showSelected->setVisible(true);
    RefillTree();
    m_showSelected->setEnabled(false);
    UpdateButtons();
    m_select->setText(tr("Add"));
}

SurveySelection CHSDSelectDialog::selection() const {
    return {m_aFiles, m_nMerge != 0};
}

int CHSDSelectDialog::TickedCount() const {
    int n = 0;
    for (const CDataFile& f : m_aFiles)
        n += f.m_bUse ? 1 : 0;
    return n;
}

void CHSDSelectDialog::EnableMergeFor(int ticked) {
    m_merge->setEnabled(ticked > 1);
    if (ticked > 1) m_merge->setChecked(m_nMerge != 0);
}

void CHSDSelectDialog::OnSelect() {
    const std::optional<std::string> path = chooseFile ? chooseFile(this) : std::nullopt;
    if (!path || path->empty()) return;
    if (!AddSurveyFile(m_aFiles, *path, m_prompts)) return; // the same path again: refused, said so
    m_strChosenPath = m_aFiles.back().m_strPath;
    m_strChosenTitle = m_aFiles.back().m_strName;
    UpdateButtons();
    m_select->setText(tr("Add"));
    RefillTree();
    m_chosen->setText(QString::fromStdString(m_strChosenPath));
}

void CHSDSelectDialog::OnDelete() {
    if (m_aFiles.empty()) return;
    if (m_prompts.askYesNo("Delete Selected Files?", "Delete Files")) {
        std::erase_if(m_aFiles, [](const CDataFile& f) { return f.m_bUse != 0; });
    }
    if (m_aFiles.empty()) {
        m_tree->clear();
        m_select->setText(tr("Select"));
    } else {
        RefillTree();
        m_select->setText(tr("Add"));
    }
    // What is left is what OK would load: the same rule as after a tick.
    UpdateButtons();
}

void CHSDSelectDialog::OnShowSelected() {
    RefillTree();
    m_showSelected->setEnabled(false);
}

void CHSDSelectDialog::OnMerge() {
    m_nMerge = m_nMerge ? 0 : 1;
}

void CHSDSelectDialog::RefillTree() {
    m_tree->clear();
    auto* root = new QTreeWidgetItem(m_tree, QStringList(tr("Selected Files")));
    root->setIcon(0, SurveyRootIcon());
    root->setFlags(root->flags() | Qt::ItemIsUserCheckable);
    root->setCheckState(0, Qt::Unchecked);
    ApTreeCtrl::SetItemData(root, kRootItemData);
    for (std::size_t i = 0; i < m_aFiles.size(); ++i) {
        auto* item = new QTreeWidgetItem(root, QStringList(QString::fromStdString(m_aFiles[i].m_strPath)));
        item->setIcon(0, SurveyFileIcon());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, m_aFiles[i].m_bUse ? Qt::Checked : Qt::Unchecked);
        ApTreeCtrl::SetItemData(item, static_cast<int>(i));
    }
    m_tree->ExpandAll();
    m_tree->setCurrentItem(root);
}

void CHSDSelectDialog::OnTreeTick(QTreeWidgetItem* item) {
    if (!item) return;
    const int data = ApTreeCtrl::ItemData(item);
    const bool checked = item->checkState(0) == Qt::Checked;
    if (data < 0) {
        // The root ticks or unticks every file.
        for (int i = 0; i < item->childCount(); ++i) {
            QTreeWidgetItem* child = item->child(i);
            child->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
            const int index = ApTreeCtrl::ItemData(child);
            if (index >= 0 && static_cast<std::size_t>(index) < m_aFiles.size())
                m_aFiles[static_cast<std::size_t>(index)].m_bUse = checked ? 1 : 0;
        }
    } else if (static_cast<std::size_t>(data) < m_aFiles.size()) {
        m_aFiles[static_cast<std::size_t>(data)].m_bUse = checked ? 1 : 0;
    }
    m_nCurrentItem = data;
    UpdateButtons();
}

void CHSDSelectDialog::UpdateButtons() {
    const int ticked = TickedCount();
    EnableMergeFor(ticked);
    m_delete->setEnabled(ticked >= 1);
    m_ok->setEnabled(ticked >= 1);
}

} // namespace plotra::gui
