#pragma once
// Open modes shared by InfCtrl and RegCtrl.
enum OpenMode {
  MODE_READ = 1,    // read only
  MODE_WRITE = 2,   // InfCtrl: start empty, save on close; RegCtrl: key must exist, nothing is saved
  MODE_UPDATE = 3,  // read what is there (RegCtrl: create the key if missing), change, save on close
};
