#include "components/TWMAFile2.h"

#include "components/WmaProfiles.h"

int TWMAFile2::GetProfileCount() const {
    return int(wmaProfiles().size());
}

void TWMAFile2::SelectProfile(int profile) {
    wmaProfile(profile); // raises for a number outside the list
    m_selected = profile;
}

QString TWMAFile2::GetProfileName() const {
    const WmaProfile* p = findWmaProfile(m_selected);
    return p ? p->name : QString();
}
