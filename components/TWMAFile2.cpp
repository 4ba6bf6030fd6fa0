#include "components/TWMAFile2.h"

#include "components/ComponentError.h"
#include "components/WmaProfiles.h"

int TWMAFile2::GetProfileCount() const {
    return int(wmaProfiles().size());
}

void TWMAFile2::SelectProfile(int profile) {
    if (profile < 1 || profile > GetProfileCount())
        throw ComponentError(QStringLiteral("There is no WMA profile %1").arg(profile));
    m_selected = profile;
}

QString TWMAFile2::GetProfileName() const {
    const auto& profiles = wmaProfiles();
    if (m_selected < 1 || m_selected > int(profiles.size())) return {};
    return profiles[std::size_t(m_selected - 1)].name;
}
