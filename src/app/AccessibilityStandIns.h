// While no assistive tool listens, the controls of property widgets get a bare stand-in for an
// accessibility interface instead of Qt's own. Qt 6.4 builds a widget's interface at its first
// change or show whether or not accessibility is active (it asks for the interface before it
// checks): for a board of thousands of controls that is about a tenth of the time spent making
// them, and every user pays it. Once an assistive tool turns accessibility on, the stand-ins are
// dropped, and its first questions build Qt's own interfaces.
#pragma once

namespace AccessibilityStandIns {

// Installs the stand-ins and their hand-over to Qt's interfaces, once; on the GUI thread, after
// the application object exists.
void install();

}  // namespace AccessibilityStandIns
