// The Exchange window's detail controls: showing a network, taking edits back, the enabled
// states, the provider choice and the certificate list.
#include "exchange/windows/frmExchange.h"


#include "core/ErrorReporter.h"
#include "exchange/Connection.h"
#include "exchange/Signing.h"
#include "keystrand/qt/QtComboTarget.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"
#include "platform/widgets/BoxTitle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include <openssl/evp.h>

#include <cmath>

namespace vt::exchange {

namespace {

QString q(std::string_view s) { return text::fromAnsi(s); }
std::string a(const QString& s) { return text::toAnsi(s); }

// A stored position that the list does not hold leaves the box as it was.
void setPosition(QComboBox* box, int position) {
    if (position >= -1 && position < box->count()) box->setCurrentIndex(position);
}

void setOptions(QButtonGroup* group, std::initializer_list<std::pair<QRadioButton*, bool>> options) {
    group->setExclusive(false);
    for (const auto& [button, on] : options) button->setChecked(on);
    group->setExclusive(true);
}

QString dateText(std::int64_t seconds) {
    return q(text::formatDate(localDateTime(std::time_t(seconds)), ""));
}

}  // namespace

void frmExchange::refreshList() {
    lvwNetworks->clear();
    for (const NetworkSettings& n : editor_.networks()) new QTreeWidgetItem(lvwNetworks, {q(n.network)});
    if (editor_.selected() >= 0) {
        showSelected();
    } else {
        // The last network is gone: nothing of it stays on the tabs or in the caption.
        applySettings(NetworkSettings{});
        setWindowTitle(QStringLiteral("Exchange"));
    }
    EnableNetworkControls(false);
}

void frmExchange::showSelected() {
    const int i = editor_.selected();
    setWindowTitle(q(editor_.caption()));
    if (i < 0) return;
    if (QTreeWidgetItem* item = lvwNetworks->topLevelItem(i)) lvwNetworks->setCurrentItem(item);
    applySettings(editor_.at(i));
}

void frmExchange::applySettings(const NetworkSettings& n) {
    applying_ = true;
    txtURL->setText(q(n.url));
    txtProxy->setText(q(n.proxy));
    txtUserName->setText(q(n.userName));
    txtPassword->setText(q(n.password));
    setPosition(cboProtocol, n.protocol);
    setPosition(cboAccessType, n.accessType);
    mebRemotePort->setText(q(n.remotePort));
    mebTimeOut->setText(q(n.timeOut));
    mebSizeLimit->setText(QString::number(n.sizeLimit));
    chkTime->setChecked(n.checkTime == 1);
    const double seconds = std::round((n.time - std::floor(n.time)) * 86400.0);
    dtpTime->setTime(QTime(0, 0).addSecs(int(seconds) % 86400));
    chkInterval->setChecked(n.checkInterval == 1);
    if (n.checkInterval == 1) chkTime->setChecked(false);
    setPosition(cboInterval, n.interval);
    setOptions(runGroup, {{optSendReceive, n.sendReceive}, {optReceive, n.receiveOnly}, {optSend, n.sendOnly}});
    txtSend->setPlainText(q(n.sendScript));
    txtReceive->setPlainText(q(n.receiveScript));
    txtOrganizationName->setText(q(n.organizationName));
    txtEmail->setText(q(n.email));
    txtPartnerName->setText(q(n.partnerName));
    txtPartnerURL->setText(q(n.partnerUrl));
    chkSignOutgoing->setChecked(n.signOutgoing == 1);
    chkEncryptOutgoing->setChecked(n.encryptOutgoing == 1);
    chkCompressOutgoing->setChecked(n.compressOutgoing == 1);
    chkRequireSignature->setChecked(n.requireSignature == 1);
    chkRequireEncryption->setChecked(n.requireEncryption == 1);
    chkMDNSigned->setChecked(n.mdnSigned == 1);
    chkMDNUnsigned->setChecked(n.mdnUnsigned == 1);
    chkRequestMDN->setChecked(n.requestMdn == 1);
    setOptions(mdnGroup, {{optSyncronous, n.syncronous}, {optAsyncronous, n.asyncronous}});
    // The provider first: choosing it refills the algorithm list the stored position indexes.
    if (n.provider >= 0 && n.provider < cboProvider->count()) {
        cboProvider->setCurrentIndex(n.provider);
        try {
            keystrand::QtComboTarget algorithms(cboAlgorithm);
            providers_.choose(n.provider, algorithms);
        } catch (...) {
            // Showing a network reports nothing; the list stays as it was.
        }
    } else if (n.provider == -1) {
        cboProvider->setCurrentIndex(-1);
        cboAlgorithm->clear();
    }
    setPosition(cboAlgorithm, n.algorithm);
    setPosition(cboHash, n.hash);
    setPosition(cboStoreLocation, n.storeLocation);
    setPosition(cboStoreName, n.storeName);
    LoadCertificates();
    lvwCertificate->clearSelection();
    if (QTreeWidgetItem* row = lvwCertificate->topLevelItem(n.certificate - 1)) {
        lvwCertificate->setCurrentItem(row);
        row->setSelected(true);
    }
    applying_ = false;
}

void frmExchange::collect() {
    const int i = editor_.selected();
    if (i < 0 || !editor_.editing()) return;   // in view mode the controls hold the stored values
    NetworkSettings& n = editor_.at(i);
    n.url = a(txtURL->text());
    n.proxy = a(txtProxy->text());
    n.protocol = cboProtocol->currentIndex();
    n.accessType = cboAccessType->currentIndex();
    n.remotePort = a(mebRemotePort->text());
    n.timeOut = a(mebTimeOut->text());
    n.sizeLimit = mebSizeLimit->text().trimmed().isEmpty() ? kDefaultSizeLimitMb : mebSizeLimit->text().toInt();
    n.userName = a(txtUserName->text());
    n.password = a(txtPassword->text());
    n.checkTime = chkTime->isChecked() ? 1 : 0;
    n.time = std::floor(n.time) + dtpTime->time().msecsSinceStartOfDay() / 86400000.0;
    n.interval = cboInterval->currentIndex();
    n.checkInterval = chkInterval->isChecked() ? 1 : 0;
    n.sendReceive = optSendReceive->isChecked();
    n.receiveOnly = optReceive->isChecked();
    n.sendOnly = optSend->isChecked();
    n.sendScript = a(txtSend->toPlainText());
    n.receiveScript = a(txtReceive->toPlainText());
    n.organizationName = a(txtOrganizationName->text());
    n.email = a(txtEmail->text());
    n.partnerName = a(txtPartnerName->text());
    n.partnerUrl = a(txtPartnerURL->text());
    n.signOutgoing = chkSignOutgoing->isChecked() ? 1 : 0;
    n.encryptOutgoing = chkEncryptOutgoing->isChecked() ? 1 : 0;
    n.compressOutgoing = chkCompressOutgoing->isChecked() ? 1 : 0;
    n.requireSignature = chkRequireSignature->isChecked() ? 1 : 0;
    n.requireEncryption = chkRequireEncryption->isChecked() ? 1 : 0;
    n.mdnSigned = chkMDNSigned->isChecked() ? 1 : 0;
    n.mdnUnsigned = chkMDNUnsigned->isChecked() ? 1 : 0;
    n.requestMdn = chkRequestMDN->isChecked() ? 1 : 0;
    n.syncronous = optSyncronous->isChecked();
    n.asyncronous = optAsyncronous->isChecked();
    n.provider = cboProvider->currentIndex();
    n.algorithm = cboAlgorithm->currentIndex();
    n.hash = cboHash->currentIndex();
    n.storeLocation = cboStoreLocation->currentIndex();
    n.storeName = cboStoreName->currentIndex();
    // The first selected row, 1-based; the count plus one when none is.
    n.certificate = lvwCertificate->topLevelItemCount() + 1;
    for (int r = 0; r < lvwCertificate->topLevelItemCount(); ++r)
        if (lvwCertificate->topLevelItem(r)->isSelected()) {
            n.certificate = r + 1;
            break;
        }
}

void frmExchange::EnableNetworkControls(bool enable) {
    for (QWidget* w : detailControls_) w->setEnabled(enable);
    // Outside editing the scripts stay readable: scrolled, selected and copied, never typed into.
    for (QPlainTextEdit* script : {txtSend, txtReceive}) {
        script->setEnabled(true);
        script->setReadOnly(!enable);
        if (!enable) script->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    const bool busy = sessions_ && sessions_->isBusy();
    if (editor_.networks().empty()) {
        for (QWidget* w : {static_cast<QWidget*>(lvwNetworks), static_cast<QWidget*>(cmdDeleteNetwork),
                           static_cast<QWidget*>(cmdModify), static_cast<QWidget*>(cmdSend),
                           static_cast<QWidget*>(cmdReceive)})
            w->setEnabled(false);
        cmdAddNetwork->setEnabled(true);
        return;
    }
    for (QWidget* w : {static_cast<QWidget*>(lvwNetworks), static_cast<QWidget*>(cmdAddNetwork),
                       static_cast<QWidget*>(cmdDeleteNetwork)})
        w->setEnabled(!enable);
    cmdSend->setEnabled(!enable && !busy);
    cmdReceive->setEnabled(!enable && !busy);
    cmdModify->setEnabled(!busy);
}

void frmExchange::cboProvider_Click() {
    if (applying_) return;
    try {
        keystrand::QtComboTarget algorithms(cboAlgorithm);
        providers_.choose(cboProvider->currentIndex(), algorithms);
    } catch (...) {
        core::ReportError(s_);
    }
}

void frmExchange::LoadCertificates() {
    const std::string name = a(cboStoreName->currentText());
    if (name.empty()) return;
    const int location = StoreLocationCode(a(cboStoreLocation->currentText()));
    if (location == 0) return;
    try {
        const certstore::Store store = certstore::Store::open(certstore::Location(location), name);
        lvwCertificate->clear();
        certificates_.clear();
        for (const certstore::Certificate& c : store.certificates()) {
            new QTreeWidgetItem(lvwCertificate, {q(c.simpleName(true)), q(c.simpleName()), dateText(c.notBefore()),
                                                 dateText(c.notAfter())});
            certificates_.push_back(c);
        }
    } catch (...) {
        core::ReportError(s_);
    }
}

void frmExchange::lvwCertificate_DblClick() {
    const int row = lvwCertificate->indexOfTopLevelItem(lvwCertificate->currentItem());
    if (row < 0 || row >= int(certificates_.size()) || !lvwCertificate->currentItem()->isSelected()) return;
    const certstore::Certificate& c = certificates_[std::size_t(row)];
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    QString thumbprint;
    if (X509_digest(c.x509(), EVP_sha1(), digest, &length) == 1)
        for (unsigned int i = 0; i < length; ++i) thumbprint += QStringLiteral("%1").arg(digest[i], 2, 16, QLatin1Char('0')).toUpper();
    const QString details = QStringLiteral("Issued to: %1\nIssued by: %2\nValid from %3 to %4\nPrivate key: %5\n"
                                           "Thumbprint (SHA-1): %6\nFile: %7")
                                .arg(q(c.name(certstore::NameForm::Rdn)), q(c.name(certstore::NameForm::Rdn, true)),
                                     dateText(c.notBefore()), dateText(c.notAfter()),
                                     c.privateKey() ? QStringLiteral("present") : QStringLiteral("none"), thumbprint,
                                     QString::fromStdString(c.file().string()));
    widgets::ShowBox(this, QMessageBox::Information, QStringLiteral("Certificate"), details);
}

std::optional<SigningChoice> frmExchange::signingChoice(int index) const {
    if (index < 0 || index >= int(editor_.networks().size())) return std::nullopt;
    SigningChoice choice;
    if (index == editor_.selected()) {
        choice.storeLocation = a(cboStoreLocation->currentText());
        choice.storeName = a(cboStoreName->currentText());
        if (QTreeWidgetItem* item = lvwCertificate->currentItem(); item && item->isSelected())
            choice.certificateRow = lvwCertificate->indexOfTopLevelItem(item);
        return choice;
    }
    const NetworkSettings& n = editor_.networks()[std::size_t(index)];
    if (n.storeLocation >= 0 && n.storeLocation < int(kStoreLocations.size()))
        choice.storeLocation = kStoreLocations[std::size_t(n.storeLocation)];
    if (n.storeName >= 0 && n.storeName < int(kStoreNames.size())) choice.storeName = kStoreNames[std::size_t(n.storeName)];
    choice.certificateRow = n.certificate - 1;
    return choice;
}

}  // namespace vt::exchange
