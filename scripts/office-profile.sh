# Sourced by the regenerate scripts. A throw-away LibreOffice profile marked as already set
# up, so that a headless run skips the first-start checks and never touches the user's own.
hb_seed_office_profile() {  # SOFFICE PROFILE_DIR
  local version
  version=$("$1" --version | sed -n 's/^LibreOffice \([0-9]*\.[0-9]*\).*/\1/p' | head -n1)
  mkdir -p "$2/user"
  cat >"$2/user/registrymodifications.xcu" <<XCU
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>${version}</value></prop></item>
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
XCU
}
