#include "code_page_box.h"

#include "code_page_list.h"

#include <QComboBox>

void fillCodePages(QComboBox *box, Language language, int position)
{
    box->clear();
    for (const CodePage *page = codePagesBegin(); page != codePagesEnd(); ++page)
        box->addItem(textIn(language, kCodePageContext, page->text), page->number);
    box->setCurrentIndex(position);
}

int chosenCodePage(const QComboBox *box)
{
    bool ok = false;
    const int number = box->currentData().toInt(&ok);
    return ok ? number : -1;
}
