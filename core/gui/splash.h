// Tfm_splash: the small window that plays an animation under a caption while the core works on
// the UI thread - loading or saving a catalog. It is no start-up screen: nothing shows it at
// start; the core reaches it through ShowProgressAnimation / CloseProgressAnimation.
//
// There is one window, made on first use and kept (hidden between uses) until the application
// ends, which frees it. fm_splash points to it, or is null before the first use and whenever
// the window could not be made. UI thread only.
#pragma once

#include "core/ProgressWindow.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <string>

class TAnimate;

class Tfm_splash : public QWidget {
public:
    Tfm_splash();

    // 120 x 50 at least; the window takes the size of the clip it plays.
    TAnimate* Animate1;

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void FormClose();
};

extern QPointer<Tfm_splash> fm_splash;

// Makes fm_splash when there is none; a failure leaves it null.
void CreateAnimationForm();
// Shows the window with Caption and the clip Source names as Kind says: 1 a common animation
// number, 2 an animation file, 3 a program animation by number, 4 one by name; any other Kind
// keeps the clip of the last call. The clip plays from its first frame to its last without end.
// Nothing here fails: a clip that cannot be opened leaves the window hidden. The caller's long
// work follows, so pending events are processed before this returns and the window is painted.
void ShowAnimation(const std::string& Caption, uint8_t Kind, const TAnimationSource& Source);
// Closes (hides) the window when it exists.
void HideAnimation();
// Frees the window; the application's end calls it.
void FreeAnimationForm();
