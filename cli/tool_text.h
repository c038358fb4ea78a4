// The tool's texts for people, in the locale's language: English as written
// in the sources, Chinese from translations/nemboport_zh_CN.ts when the
// locale is Chinese. Texts read by programs (JSON, the per-queue outcome
// words, command and option words) do not go through Nemboport::tr.
#pragma once

#include <QCoreApplication>
#include <QTranslator>

class Nemboport
{
    Q_DECLARE_TR_FUNCTIONS(Nemboport)
};

// While alive, every text is given in English, as written in the sources:
// for messages that also go into JSON, which scripts read. Answers before
// any installed translation.
class EnglishTexts
{
public:
    EnglishTexts();
    ~EnglishTexts();
    EnglishTexts(const EnglishTexts &) = delete;
    EnglishTexts &operator=(const EnglishTexts &) = delete;

private:
    class SourceTexts : public QTranslator
    {
    public:
        QString translate(const char *context, const char *sourceText, const char *disambiguation,
                          int n) const override;
        bool isEmpty() const override { return false; }
    };
    SourceTexts source_;
};

// Installs the Chinese translation when the system locale (LC_ALL,
// LC_MESSAGES, LANG) is Chinese; needs the application object.
void installToolTranslator();
