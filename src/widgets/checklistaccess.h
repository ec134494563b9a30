#pragma once

class QListWidget;

// Shows the items of a list of check boxes to screen readers as check boxes:
// each one checkable, checked or not as the list shows it, and toggled by the
// reader's "Toggle" action as by a click. (Plain list items do not carry the
// checkable state to every desktop's screen reader.)
void exposeAsCheckList(QListWidget *list);
