// The main window's page operations: the current section and what each pane is sent to.
#include "mainwnd/tavrindlg.h"

#include "compose/panecomposition.h"
#include "config/selection.h"
#include "mainwnd/panepages.h"
#include "settings/settings.h"

namespace tavrin {

std::optional<Section> CTavrinDlg::CurrentSection()
{
    if (exiting())
        return std::nullopt;
    const auto cfg = config();
    const int index = ValidCurrentSection(m_currentSection, SectionChoices(*cfg));
    if (index < 0) {
        m_currentSection = 0;
        return std::nullopt;
    }
    m_currentSection = index;
    return cfg->sections.at(index);
}

bool CTavrinDlg::SelectSectionById(const QString &id)
{
    if (exiting())
        return false;
    const auto cfg = config();
    for (int i = 0; i < cfg->sections.size(); ++i) {
        const Section &section = cfg->sections.at(i);
        if (section.id != id)
            continue;
        if (!IsSelected(section))
            SetSectionSelected(section.id, true);
        m_currentSection = i;
        return true;
    }
    return false;
}

bool CTavrinDlg::ShowSectionsPage()
{
    if (exiting())
        return false;
    const auto cfg = config();
    const int current = CurrentSection() ? m_currentSection : -1;
    PanePages::ShowSectionsPage(m_sections, *cfg, current);
    return true;
}

bool CTavrinDlg::ShowNewsPage(bool reload)
{
    if (exiting())
        return false;
    const auto cfg = config();
    const std::optional<Section> section = CurrentSection();
    if (!section)
        return false;
    if (reload)
        PanePages::ReloadPage(m_news);
    else
        PanePages::ShowNewsPage(m_news, *cfg, *section);
    return true;
}

bool CTavrinDlg::ShowAdsPage()
{
    if (exiting())
        return false;
    const std::optional<Section> section = CurrentSection();
    if (!section)
        return false;
    PanePages::ShowAdsPage(m_ads, *section);
    return true;
}

bool CTavrinDlg::ShowUrgentPage()
{
    if (exiting())
        return false;
    PanePages::ShowUrgentPage(m_urgent, *config());
    return true;
}

bool CTavrinDlg::ShowLoadingPage()
{
    if (exiting())
        return false;
    PanePages::ShowLoadingPage(m_loading, *config());
    return true;
}

void CTavrinDlg::RefreshAll()
{
    if (exiting())
        return;
    setState(AppState::Refreshing);
    LayoutPanes();
    ShowSectionsPage();
    ShowNewsPage(false);
    ShowAdsPage();
}

} // namespace tavrin
