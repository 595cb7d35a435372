#include "platform/office/PresentationSummary.h"

#include <cstdio>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/automation/BuiltInProperties.h"

namespace slidemill {

PresentationSummary CollectPresentationSummary(PresentationApp& app, const std::string& path) {
    PresentationSummary s;
    auto presentation = app.GetPresentations()->Open(path, 0, 0, 0);
    auto slides = presentation->GetSlides();
    auto setup = presentation->GetPageSetup();
    s.slideCount = slides->Count();
    BuiltInProperties props = ReadBuiltInProperties(*presentation);
    s.title = std::move(props.title);
    s.subject = std::move(props.subject);
    s.author = std::move(props.author);
    s.keywords = std::move(props.keywords);
    s.lastAuthor = std::move(props.lastAuthor);
    const float width = setup->SlideWidth();
    const float height = setup->SlideHeight();
    for (int32_t n = 1; n <= s.slideCount && n <= INT16_MAX; ++n) {
        SlideSummary slide;
        slide.number = n;
        slide.widthPt = width;
        slide.heightPt = height;
        auto links = slides->Item(int16_t(n))->GetHyperlinks();
        for (int32_t i = 1, count = links->Count(); i <= count; ++i) {
            auto link = links->Item(i);
            HyperlinkSummary h;
            h.address = link->Address();
            h.subAddress = link->SubAddress();
            try {
                h.textToDisplay = link->TextToDisplay();
            } catch (const AutomationError&) {
                h.textReadable = false;
            }
            slide.hyperlinks.push_back(std::move(h));
        }
        s.slides.push_back(std::move(slide));
    }
    return s;
}

std::string PresentationSummaryJson(const PresentationSummary& s) {
    nlohmann::json j;
    j["slideCount"] = s.slideCount;
    j["title"] = s.title;
    j["subject"] = s.subject;
    j["author"] = s.author;
    j["keywords"] = s.keywords;
    j["lastAuthor"] = s.lastAuthor;
    j["slides"] = nlohmann::json::array();
    for (const auto& slide : s.slides) {
        nlohmann::json js;
        js["number"] = slide.number;
        js["widthPt"] = slide.widthPt;
        js["heightPt"] = slide.heightPt;
        js["hyperlinks"] = nlohmann::json::array();
        for (const auto& h : slide.hyperlinks) {
            nlohmann::json jh;
            jh["address"] = h.address;
            jh["subAddress"] = h.subAddress;
            if (h.textReadable)
                jh["textToDisplay"] = h.textToDisplay;
            else
                jh["textToDisplay"] = nullptr;
            js["hyperlinks"].push_back(std::move(jh));
        }
        j["slides"].push_back(std::move(js));
    }
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string PresentationSummaryText(const PresentationSummary& s) {
    std::ostringstream out;
    out << "Slides:      " << s.slideCount << "\n"
        << "Title:       " << s.title << "\n"
        << "Subject:     " << s.subject << "\n"
        << "Author:      " << s.author << "\n"
        << "Keywords:    " << s.keywords << "\n"
        << "Last author: " << s.lastAuthor << "\n";
    for (const auto& slide : s.slides) {
        char size[64];
        std::snprintf(size, sizeof size, "%.2f x %.2f pt", double(slide.widthPt), double(slide.heightPt));
        out << "Slide " << slide.number << ": " << size << "\n";
        for (const auto& h : slide.hyperlinks) {
            out << "  link";
            if (!h.address.empty()) out << " address \"" << h.address << "\"";
            if (!h.subAddress.empty()) out << " sub-address \"" << h.subAddress << "\"";
            if (h.textReadable)
                out << " text \"" << h.textToDisplay << "\"";
            else
                out << " (no text)";
            out << "\n";
        }
    }
    return out.str();
}

}  // namespace slidemill
