#!/usr/bin/perl
# The same fix-up as prcfix, done through Palm::PDB (libpalm-perl), for the
# benchmark's comparison: load the whole database, change it, write it back.
#
# usage: palm_pdb_fixup.pl FILE
use strict;
use warnings;
use Palm::PDB;
use Palm::Raw;

&Palm::PDB::RegisterPRCHandlers("Palm::Raw", [ "", "" ]);

my $path = shift or die "usage: $0 FILE\n";
my $pdb = Palm::PDB->new();
$pdb->Load($path);

my ($base) = $path =~ m{([^/\\:]*)$};
$base =~ s/\..*//s;
if ($base ne '') {
    $base = substr($base, 0, 31);
    $pdb->{name} = $base eq 'StatusBarResources' ? 'Zurevir Iz ezuv' : $base;
    $pdb->{type} = 'rsrc';
    $pdb->{creator} = 'Vavo';
    delete $pdb->{attributes}{reset};
    delete $pdb->{attributes}{ResetAfterInstall};
}
for my $resource (@{ $pdb->{resources} }) {
    $resource->{type} = 'OVLY' if $resource->{type} eq 'ovly';
}
$pdb->Write($path);
