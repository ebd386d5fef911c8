#pragma once
// The splash: refuses a second running copy, then shows the product for a few seconds.

#include "setup/ProductLabels.h"

#include <QDialog>

#include <string_view>

namespace vt::setup {

class InstanceLock;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Takes `lock`; when another copy holds it, says so and gives false: the program ends and
    // the splash is never shown. Otherwise fills the labels.
    bool Form_Load(InstanceLock& lock);
    // Shows the splash with the busy pointer for `waitMs` of elapsed time while window events
    // run, then closes it.
    void Activate(int waitMs = 5000);

    const ProductLabels& labels() const { return labels_; }

protected:
    // The second start's message; tests answer it.
    virtual void alreadyOpen(std::string_view text);

private:
    ProductLabels labels_;
};

}  // namespace vt::setup
